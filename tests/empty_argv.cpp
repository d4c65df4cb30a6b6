// Runs a tool's main with an empty argument vector, which Linux before 5.18
// could hand a program: the tool must not read past it, and its usage line
// names the tool itself.
#define main tool_main
#include TOOL_SOURCE
#undef main

int main()
{
	char *argv[] = {nullptr};
	return tool_main(0, argv);
}
