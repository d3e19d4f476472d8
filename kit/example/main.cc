// write-badges STATE_FOLDER ROOT: writes badges.json for ROOT, two items.
#include <kit/badge_file_writer.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  auto writer = tessvik::kit::BadgeFileWriter::begin(argv[1], "badges.json", argv[2]);
  if (!writer) return std::fprintf(stderr, "%s\n", writer.error().description.c_str()), 1;
  for (auto [path, status] : {std::pair{"docs/rapport.pdf", "synced"}, {"photo.jpg", "syncing"}}) {
    if (auto added = writer.value().add(path, status); !added) {
      return std::fprintf(stderr, "%s\n", added.error().description.c_str()), 1;
    }
  }
  auto written = writer.value().commit();
  if (!written) return std::fprintf(stderr, "%s\n", written.error().description.c_str()), 1;
  std::printf("badges.json : %zu élément(s)\n", writer.value().count());
}
