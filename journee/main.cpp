// solvenare-journee: a day of measurements read again, with the sun's true
// position for every record (see TexteUsage()).

#include <iostream>

#include "journee/journee.h"
#include "journee/options.h"

int main(int argc, char** argv) {
    journee::Options options;
    try {
        options = journee::LireOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const journee::ErreurArguments& e) {
        std::cerr << "solvenare-journee : " << e.what() << "\n\n" << journee::TexteUsage();
        return journee::SortieArguments;
    }
    std::ios::sync_with_stdio(false);
    return journee::Executer(options, std::cout, std::cerr);
}
