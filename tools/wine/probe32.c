/* The smallest 32-bit Windows program: it only answers 42, to show that this
   machine's Wine can start 32-bit programs. */
int main(void) { return 42; }
