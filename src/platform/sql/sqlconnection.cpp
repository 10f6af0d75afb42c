#include "sqlconnection.h"
