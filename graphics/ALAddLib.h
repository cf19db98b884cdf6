// The text texture TAnti_DelX and the bitmap font TFontDraw, in the minimal
// form the main form needs until they are built: it only creates them, hands
// them to the global status object and frees them.
#pragma once
#include "shell/FormParts.h"

class TAnti_DelX : public FormPart {};
class TFontDraw : public FormPart {};
