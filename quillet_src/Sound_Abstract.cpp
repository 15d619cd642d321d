#include "Sound_Abstract.h"

Sound_Abstract::~Sound_Abstract()
{
}
