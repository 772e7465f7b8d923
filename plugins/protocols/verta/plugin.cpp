#include <tavric/plugin.h>
