// An access header that uses the layers below it only.
#pragma once

#include "data/Shared.h"
#include "platform/Date.h"
