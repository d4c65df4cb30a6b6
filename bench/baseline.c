/* Parses every argument, takes a square root, rounds it and an arc tangent,
 * and prints one digit: the work of either tool with nothing around it. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char *argv[])
{
	long long v[8] = {0};
	for (int i = 1; i < argc && i <= 8; i++)
		v[i - 1] = atoll(argv[i]);
	double root = sqrt((double)v[0] * v[0] + (double)v[1] * v[1]);
	double bearing = atan2((double)v[3], (double)v[2]);
	printf("%d\n", llround(root) > v[6] && bearing < v[5]);
	return 0;
}
