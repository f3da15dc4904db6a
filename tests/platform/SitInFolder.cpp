// A program that only sits in a folder, as the running game or a console opened there does:
// its current folder is the first argument. It creates the file named second (outside that
// folder) once it is there, and ends when the file named third appears, or after a minute.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    std::error_code error;
    std::filesystem::current_path(argv[1], error);
    if (error)
        return 1;
    std::ofstream(argv[2]) << "here\n";
    for (int waited = 0; waited < 6000 && !std::filesystem::exists(argv[3]); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 0;
}
