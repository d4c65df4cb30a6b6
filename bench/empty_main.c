/* The floor for any process that loads libc and libm. */
int main(void)
{
	return 0;
}
