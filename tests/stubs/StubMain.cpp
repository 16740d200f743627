// A stand-in for the setup program in the packer's tests under Wine: it starts
// as any program does and reports the payload the loader maps into it.

#include <windows.h>

#include <cstdio>

int main()
{
    const HRSRC payload = FindResourceA(nullptr, "VIZEZURAR", RT_RCDATA);
    if (!payload) {
        std::puts("no payload");
        return 3;
    }
    const DWORD size = SizeofResource(nullptr, payload);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, payload)));
    unsigned long sum = 0;
    for (DWORD i = 0; i < size; ++i) sum += bytes[i];
    std::printf("payload %lu bytes, sum %lu\n", static_cast<unsigned long>(size), sum);
    return 0;
}
