#include "xsltstylesheet.h"
