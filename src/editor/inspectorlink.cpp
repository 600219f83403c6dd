#include "editor/inspectorlink.h"

std::function<TInspectorLink*(QWidget* parent)> InspectorFactory;
