/* A small module the loader tests load by a Windows-style name. */
int ProbeAnswer(void) { return 42; }
