// Saves a .prg or vanto.cfg over and over, alternating its two images, as the application saves
// them. The kill test starts it and kills it with SIGKILL at random moments.
//
//   save_loop prg FILE.prg COUNT
//   save_loop cfg DIRECTORY COUNT        (writes DIRECTORY/vanto.cfg)
//
// Prints "ready" before the first save and "done" after the last; exit 1 when a save fails.
#include "saveimages.h"

#include "link/commconfig.h"
#include "platform/prompts.h"
#include "program/programfile.h"

#include <cstdio>
#include <cstring>

using namespace vanto;

namespace {

class SilentPrompts : public Prompts {
public:
    void beep() override {}
    void message(const QString& text, const QString&, MessageIcon) override {
        std::fprintf(stderr, "save_loop: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString&, const QString&, MessageIcon) override { return false; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "prg") != 0 && std::strcmp(argv[1], "cfg") != 0)) {
        std::fprintf(stderr, "usage: save_loop prg|cfg PATH COUNT\n");
        return 2;
    }
    const bool prg = std::strcmp(argv[1], "prg") == 0;
    const QString path = QString::fromLocal8Bit(argv[2]);
    const int count = std::atoi(argv[3]);
    const ProgramSet programs[2] = {test::programImage(false), test::programImage(true)};
    const CommConfig configs[2] = {test::configImage(false), test::configImage(true)};
    SilentPrompts prompts;

    std::printf("ready\n");
    std::fflush(stdout);
    for (int i = 0; i < count; ++i) {
        const int image = (i + 1) % 2; // the file starts out holding image 0
        if (prg) {
            const QString error = writeProgramFile(path, programs[image]);
            if (!error.isEmpty()) {
                std::fprintf(stderr, "save_loop: %s\n", qPrintable(error));
                return 1;
            }
        } else if (!writeConfig(configs[image], path, prompts)) {
            return 1;
        }
    }
    std::printf("done\n");
    return 0;
}
