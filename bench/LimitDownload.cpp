// The least a receiver that writes every 1024 bytes at once can cost: libcurl's easy
// interface, and one write(2) per 1024-byte block straight from its buffer.
#include <curl/curl.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t BlockSize = 1024;

size_t writeBlocks(char* data, size_t size, size_t count, void* fd)
{
    const size_t total = size * count;
    for (size_t done = 0; done < total;) {
        const size_t block = total - done < BlockSize ? total - done : BlockSize;
        const ssize_t written = ::write(*static_cast<int*>(fd), data + done, block);
        if (written <= 0)
            return 0;
        done += static_cast<size_t>(written);
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL DESTINATION\n", argv[0]);
        return 2;
    }
    int fd = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return 1;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, argv[1]);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &writeBlocks);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &fd);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 64L * 1024L); // as the Internet layer receives
    const CURLcode result = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    curl_global_cleanup();
    const bool closed = ::close(fd) == 0;
    return result == CURLE_OK && closed ? 0 : 1;
}
