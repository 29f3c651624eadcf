/* A password module for the tests. VerifyScreenSavePwd appends the window it was given to the file named
   by $VORLIN_TEST_PASSWORD_RECORD and answers with $VORLIN_TEST_PASSWORD_ANSWER ("1" accepts, anything
   else refuses). Built without the entry (NO_ENTRY) it stands for a module that lacks it. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef NO_ENTRY
int VerifyScreenSavePwd(unsigned long window) {
    const char* path = getenv("VORLIN_TEST_PASSWORD_RECORD");
    FILE* f = path ? fopen(path, "a") : NULL;
    if (f) {
        fprintf(f, "%lu\n", window);
        fclose(f);
    }
    const char* answer = getenv("VORLIN_TEST_PASSWORD_ANSWER");
    return answer && strcmp(answer, "1") == 0;
}
#else
int SomethingElse(void) {
    return 0;
}
#endif
