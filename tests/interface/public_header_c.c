#include "uxdmapi.h"
