// Exits 0 when this kernel takes 32-bit system calls (int 0x80) from a 64-bit
// program, as Wine's WoW64 mode needs; a kernel that refuses them ends the
// program with a signal.
int main() {
  long pid;
  asm volatile("int $0x80" : "=a"(pid) : "a"(20) : "memory");  // getpid
  return pid > 0 ? 0 : 1;
}
