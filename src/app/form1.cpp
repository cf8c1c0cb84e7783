#include "app/failure.h"
