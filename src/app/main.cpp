#include "app/Application.h"

int main(int argc, char** argv)
{
    return pellora::RunApplication(argc, argv);
}
