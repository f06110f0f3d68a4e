#include "app/application_startup.h"

int main(int argc, char** argv) { return RunApplication(argc, argv); }
