#include "protocol/frame_texts.h"

const QString g_strHeader = QStringLiteral("A55A5AA5");
const QString g_strTrailer = QStringLiteral("5AA5A55A");
