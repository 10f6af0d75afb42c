#include "sqlrecordset.h"
