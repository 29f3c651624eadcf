/* A password module for the tests: records the arguments of each PwdChangePasswordA call in the file
   named by $VORLIN_TEST_MPR_RECORD. */
#include <stdio.h>
#include <stdlib.h>

int PwdChangePasswordA(const char* regKeyName, unsigned long window, unsigned int reserved1,
                       unsigned int reserved2) {
    const char* path = getenv("VORLIN_TEST_MPR_RECORD");
    FILE* f = path ? fopen(path, "a") : NULL;
    if (!f) return 1;
    fprintf(f, "%s %lu %u %u\n", regKeyName, window, reserved1, reserved2);
    fclose(f);
    return 0;
}
