#pragma once
// The window's font: "MS Sans Serif" at 8 points, or where that face is
// missing the closest small sans-serif face the system has, at 8 points.
#include <QFont>

QFont FormFont();
