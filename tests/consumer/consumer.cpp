// The shared cases through the headers as C++, built with whatever flags
// the test chooses (-O3 -ffast-math).
#include "cases.h"

int main()
{
	return ask_all();
}
