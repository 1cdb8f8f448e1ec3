/* The least a program can do to show the battery: list the power_supply class folder and read the
 * attributes of each supply that zelvar-home reads, with one open and one read each, and print
 * each supply's charge. The start benchmark runs it beside zelvar-home --once on the same tree. */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static const char* const kAttributes[] = {
    "type",       "scope",      "status",    "technology",  "present",    "online",
    "capacity",   "voltage_now", "current_now", "current_avg", "power_now", "energy_now",
    "energy_full", "charge_now", "charge_full", "temp"};

static int ReadAttribute(int folder, const char* name, char* text, size_t size) {
  const int fd = openat(folder, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  const ssize_t count = read(fd, text, size - 1);
  close(fd);
  if (count <= 0) return 0;
  text[count] = '\0';
  text[strcspn(text, "\n")] = '\0';
  return 1;
}

int main(int argc, char** argv) {
  const char* root = argc > 1 ? argv[1] : "/sys/class/power_supply";
  DIR* supplies = opendir(root);
  if (supplies == NULL) return 1;
  const struct dirent* entry;
  while ((entry = readdir(supplies)) != NULL) {
    if (entry->d_name[0] == '.') continue;
    const int folder = openat(dirfd(supplies), entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) continue;
    char capacity[64] = "?";
    char text[64];
    for (size_t i = 0; i < sizeof kAttributes / sizeof kAttributes[0]; ++i) {
      if (ReadAttribute(folder, kAttributes[i], text, sizeof text) && strcmp(kAttributes[i], "capacity") == 0) {
        memcpy(capacity, text, sizeof text);
      }
    }
    close(folder);
    printf("%s: %s%%\n", entry->d_name, capacity);
  }
  closedir(supplies);
  return 0;
}
