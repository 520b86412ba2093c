#include "core/RadioState.h"

#include "core/TKM.h"

RadioState::RadioState() = default;
RadioState::~RadioState() = default;
