// Precompiled header: the Qt headers nearly every file of the program includes.
#pragma once
#ifdef __cplusplus
#include <QtCore>
#include <QtGui>
#include <QtWidgets>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#endif
