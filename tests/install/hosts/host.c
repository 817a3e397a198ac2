/* A C host: includes the one public header and calls the library. */
#include <stdio.h>
#include <string.h>

#include <zelkor.h>

int main(void)
{
    const char* version = zelkorVersion();
    printf("C host linked Zelkor %s\n", version);
    return strcmp(version, "2.0.0") == 0 ? 0 : 1;
}
