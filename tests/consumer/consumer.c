// The shared cases through the headers as C11.
#include "cases.h"

int main(void)
{
	return ask_all();
}
