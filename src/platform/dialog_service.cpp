#include "platform/dialog_service.h"
