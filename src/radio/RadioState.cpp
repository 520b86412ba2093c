#include "radio/RadioState.h"

#include "screens/TKM.h"

RadioState::RadioState() = default;
RadioState::~RadioState() = default;
