#pragma once

#include "playback/FullScreenTypeTransformer.h"

// True exactly in the selected-display mode (1). Found by the name "isSelectedDisplay".
class IsSelectedDisplayTransformer : public FullScreenTypeTransformer {
public:
    IsSelectedDisplayTransformer()
        : FullScreenTypeTransformer(1) {}
};
