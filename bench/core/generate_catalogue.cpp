// zentavo-bench-catalogue N OUT: writes a catalogue of N channels (see catalogue_generator.h).
#include "catalogue_generator.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::cerr << "usage: zentavo-bench-catalogue N OUT\n";
        return 2;
    }
    char* end = nullptr;
    const unsigned long long count = std::strtoull(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0') {
        std::cerr << "zentavo-bench-catalogue: N must be a number\n";
        return 2;
    }
    const std::string xml = zentavo::bench::GenerateCatalogue(count);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(xml.data(), static_cast<std::streamsize>(xml.size()));
    out.close();
    if (!out) {
        std::cerr << "zentavo-bench-catalogue: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
