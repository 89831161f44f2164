#include "shell/Application.h"
#include "shell/Startup.h"

int main(int argc, char* argv[])
{
    TCofferlyApplication app(argc, argv);
    return RunCofferly(app);
}
