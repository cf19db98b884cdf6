// A player's sprite: body and face cells, the cursor, the blink and the shadow.
#include "match/clsObject.h"
#include "shell/GlbRecord.h"

void TGenCharDraw::OnDrawSetDB(bool, bool, bool, int32_t, int32_t, int32_t, int32_t, int32_t,
                               int32_t, int32_t, int32_t, int32_t, int32_t, MukiType,
                               const AnimeData*) {}
void TGenCharDraw::OnSadowDraw(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void TGenCharDraw::OnDraw() {}
