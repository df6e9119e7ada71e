#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

// A TCP socket bound to a port of the loopback address that the system chose free;
// the port goes to *port.
inline int BindLoopback(int* port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return fd;
}
