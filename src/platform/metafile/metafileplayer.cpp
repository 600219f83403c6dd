#include "metafileplayer.h"

void TMetafilePlayer::Play(const TMetafile&, QPainter&, const QRectF&, const TMetafilePlayOptions&) {}
