/* The extraction's write done natively: maps a file and writes all of it to another file in
 * one write() straight from the mapping, as the wrapper writes its resource. The native
 * reference that shows what Wine's file layer adds to the same single write.
 * Usage: mapped_write <source> <destination> */
#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s <source> <destination>\n", argv[0]);
        return 2;
    }
    int source = open(argv[1], O_RDONLY);
    struct stat status;
    if (source < 0 || fstat(source, &status) != 0)
        return 1;
    void* bytes = mmap(NULL, (size_t)status.st_size, PROT_READ, MAP_PRIVATE, source, 0);
    int destination = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (bytes == MAP_FAILED || destination < 0)
        return 1;
    ssize_t written = write(destination, bytes, (size_t)status.st_size);
    return written == status.st_size && close(destination) == 0 ? 0 : 1;
}
