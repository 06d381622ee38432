// kastra-convert: converts scans into volume files and back (see converter.h).

#include "convert/converter.h"

int main(int argc, char** argv)
{
    return runConverter(argc, argv);
}
