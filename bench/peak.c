/* Usage: peak PROGRAM [ARG...]
 * Runs PROGRAM and prints its peak resident memory in kilobytes on standard
 * error. A child's peak counts the memory of the process it was forked
 * from, so the benchmark, itself large, runs it from this small one. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
	if (argc < 2)
		return 2;
	pid_t child = fork();
	if (child == 0) {
		execvp(argv[1], argv + 1);
		_exit(127);
	}
	int status;
	struct rusage usage;
	if (child < 0 || wait4(child, &status, 0, &usage) < 0)
		return 2;
	fprintf(stderr, "%ld\n", usage.ru_maxrss);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
