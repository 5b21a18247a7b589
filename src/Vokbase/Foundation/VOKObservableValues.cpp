#include "VOKObservableValues.h"
