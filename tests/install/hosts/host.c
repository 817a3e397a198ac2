/* A C host: includes the one public header and calls the library: the library
   matches the header's version macros, and the C-safe form of a design service
   answers at its point limit. */
#include <stdio.h>
#include <string.h>

#include <zelkor.h>

int main(void)
{
    const char* version = zelkorVersion();
    const int overLimit[4] = {0, 0, 2, 0}; /* a full factorial of 2^14 points */
    char header[32];
    snprintf(header, sizeof header, "%d.%d.%d", ZELKOR_VERSION_MAJOR, ZELKOR_VERSION_MINOR,
             ZELKOR_VERSION_PATCH);
    printf("C host linked Zelkor %s\n", version);
    if (strcmp(version, header) != 0) {
        return 1; /* the header and the library disagree */
    }
    if (get_nexpC(overLimit, 14) != -2 || zelkorLastStatus() != ZELKOR_STATUS_INVALID_INPUT ||
        strstr(zelkorLastMessage(), "EXCEEDS IT'S LIMIT") == NULL) {
        return 1;
    }
    return get_nexpC(overLimit, 13) == 8192 && zelkorLastStatus() == ZELKOR_STATUS_OK ? 0 : 1;
}
