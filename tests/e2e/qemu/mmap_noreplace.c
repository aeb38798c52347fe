/* Preloaded into Wine's 32-bit loader when it runs under qemu-i386 (see scripts/wine-env).
 *
 * Wine reserves its address space with mmap(MAP_FIXED_NOREPLACE), halving a range on every
 * failure down to 64 KiB pieces. qemu 7 ignores the flag and places such a mapping wherever it
 * likes, so every attempt fails and the halving visits each piece of the 2 GiB above the user
 * limit: over a minute per process. Here a request that lies wholly beyond the emulated
 * address space (GUEST_LIMIT) is answered as done, since nothing can ever be mapped there, and
 * any other one is tried at its address and undone when it landed elsewhere.
 *
 * Built with -nostdlib: raw system calls, and errno through libc's own accessor. */

#ifndef GUEST_LIMIT
#error "GUEST_LIMIT: the emulated address space's size, as given to qemu"
#endif

#define MAP_FIXED_NOREPLACE 0x100000
#define SYS_MUNMAP 91
#define SYS_MMAP2 192
#define PAGE_MASK 0xfffULL
#define EINVAL 22
#define EEXIST 17

typedef unsigned int u32;

extern int* __errno_location(void);

static long Syscall6(long number, long a, long b, long c, long d, long e, long f) {
  long result;
  long first[2] = {a, f}; /* ebx and ebp: both are busy in PIC code */
  long* pair = first;
  __asm__ volatile(
      "push %%ebp\n\t"
      "movl 4(%%ebx), %%ebp\n\t"
      "movl (%%ebx), %%ebx\n\t"
      "int $0x80\n\t"
      "pop %%ebp"
      : "=a"(result), "+b"(pair)
      : "0"(number), "c"(b), "d"(c), "S"(d), "D"(e)
      : "memory");
  return result;
}

static void* Fail(int error) {
  *__errno_location() = error;
  return (void*)-1;
}

static void* MapAny(void* address, u32 length, int prot, int flags, int fd,
                    unsigned long long offset) {
  /* mmap2 counts the offset in pages: an unaligned one must fail as the kernel would. */
  if (offset & PAGE_MASK)
    return Fail(EINVAL);
  long result =
      Syscall6(SYS_MMAP2, (long)address, (long)length, prot, flags, fd, (long)(offset >> 12));
  if (result < 0 && result > -4096)
    return Fail((int)-result);
  return (void*)result;
}

static void* Map(void* address, u32 length, int prot, int flags, int fd,
                 unsigned long long offset) {
  if (!(flags & MAP_FIXED_NOREPLACE))
    return MapAny(address, length, prot, flags, fd, offset);
  if ((unsigned long)address >= (unsigned long)GUEST_LIMIT)
    return address;
  void* placed = MapAny(address, length, prot, flags & ~MAP_FIXED_NOREPLACE, fd, offset);
  if (placed == (void*)-1 || placed == address)
    return placed;
  Syscall6(SYS_MUNMAP, (long)placed, (long)length, 0, 0, 0, 0);
  return Fail(EEXIST);
}

void* mmap(void* address, u32 length, int prot, int flags, int fd, long offset) {
  return Map(address, length, prot, flags, fd, (unsigned long long)(u32)offset);
}

void* mmap64(void* address, u32 length, int prot, int flags, int fd, long long offset) {
  return Map(address, length, prot, flags, fd, (unsigned long long)offset);
}
