// Precompiled header: the Qt headers nearly every file of a library includes. Libraries of
// the model (no QtWidgets among their dependencies) get only the core and GUI modules.
#pragma once
#ifdef __cplusplus
#include <QtCore>
#if defined(QT_GUI_LIB)
#include <QtGui>
#endif
#if defined(QT_WIDGETS_LIB)
#include <QtWidgets>
#endif
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#endif
