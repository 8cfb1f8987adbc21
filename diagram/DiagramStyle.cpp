#include "diagram/DiagramStyle.h"
