// Windows has no root to step down from: every test runs as the user who started it.
#include "ordinary_user.h"

namespace test_support {

bool RerunAsOrdinaryUser()
{
    return false;
}

bool PassesPermissionChecks()
{
    return false;
}

}  // namespace test_support
