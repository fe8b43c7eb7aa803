// A data header that reaches up into the access layer and into a window.
#pragma once

#include "access/Access.h"
#include "data/Records.h"
#include "platform/ui/BrowseList.h"
