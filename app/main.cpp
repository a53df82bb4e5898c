// Zentavo Player: the program's entry.
#include "app/startup.h"

int main(int argc, char* argv[])
{
    return zentavo::RunPlayer(argc, argv);
}
