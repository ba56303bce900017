#include "pays.h"

namespace odds {

PayVector GamePays()
{
    return JacksFamily().defaultPays;
}

} // namespace odds
