// The program's entry: the browser build starts it by this name too.
#include "shell.h"

int main(int, char*[])
{
    return marrowick();
}
