// orvane-quessel: a file of questions, each answered as orvane or quessel
// answers it, one answer a line.
#include "route.h"

#include <csignal>

int main(int argc, char *argv[])
{
	// A file grown past its size limit is a write error to report, as
	// Python reports it, not a signal to die of.
	signal(SIGXFSZ, SIG_IGN);
	return many::route(argc > 1 ? argc - 1 : 0, argv + 1, "orvane-quessel",
	                   "orvane-quessel");
}
