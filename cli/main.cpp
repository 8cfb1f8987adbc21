#include "infra/Version.h"

#include <cstdio>

int main()
{
    std::printf("tessaric-cli %s\n", kTessaricVersionText);
    return 0;
}
