#pragma once

#include <QIcon>

// A sine wave on a dark square, drawn at the usual sizes.
QIcon AppIcon();
