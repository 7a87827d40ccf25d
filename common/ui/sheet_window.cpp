#include "common/ui/sheet_window.h"
