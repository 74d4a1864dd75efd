#include "vexa/control/CommandLine.h"
#include "vexa/control/EntryPoint.h"

int main(int argc, char** argv)
{
    return RunVexa(WidenArguments(argc, argv));
}
