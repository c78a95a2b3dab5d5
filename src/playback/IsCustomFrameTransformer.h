#pragma once

#include "playback/FullScreenTypeTransformer.h"

// True exactly in the custom-frame mode (3). Found by the name "isCustomFrame".
class IsCustomFrameTransformer : public FullScreenTypeTransformer {
public:
    IsCustomFrameTransformer()
        : FullScreenTypeTransformer(3) {}
};
