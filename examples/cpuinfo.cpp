// Example companion tool for launcher.exe: prints the processor report.
//
//   GenuineIntel
//   Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz
//   family 6 model 158 stepping 13
//
// The first word is the 12-character CPUID vendor identification, which is
// all the launcher looks at: it treats the processor as Intel when that word
// contains "Genuine". Without CPUID the report is the single word "unknown".

#include <cstdio>
#include <cstring>
#include <string>

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <intrin.h>
#define HAVE_CPUID 1
#elif (defined(__GNUC__) || defined(__clang__)) && \
    (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define HAVE_CPUID 1
#endif

namespace {

struct CpuidRegisters {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
};

#ifdef HAVE_CPUID
// Leaf `leaf` of CPUID, or false when the processor does not have it.
bool Cpuid(unsigned leaf, CpuidRegisters* out) {
#ifdef _MSC_VER
  int regs[4];
  __cpuid(regs, static_cast<int>(leaf & 0x80000000u));
  if (static_cast<unsigned>(regs[0]) < leaf) return false;
  __cpuid(regs, static_cast<int>(leaf));
  out->eax = static_cast<unsigned>(regs[0]);
  out->ebx = static_cast<unsigned>(regs[1]);
  out->ecx = static_cast<unsigned>(regs[2]);
  out->edx = static_cast<unsigned>(regs[3]);
  return true;
#else
  // __get_cpuid checks both that CPUID exists and that it has this leaf.
  return __get_cpuid(leaf, &out->eax, &out->ebx, &out->ecx, &out->edx) != 0;
#endif
}
#else
bool Cpuid(unsigned, CpuidRegisters*) { return false; }
#endif

std::string Bytes(unsigned value) {
  char text[4];
  std::memcpy(text, &value, sizeof text);
  return std::string(text, sizeof text);
}

// The 48-character brand string, without its padding.
std::string BrandString() {
  std::string brand;
  for (unsigned leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
    CpuidRegisters regs;
    if (!Cpuid(leaf, &regs)) return "(no brand string)";
    brand += Bytes(regs.eax) + Bytes(regs.ebx) + Bytes(regs.ecx) +
             Bytes(regs.edx);
  }
  brand.resize(std::min(brand.size(), brand.find('\0')));
  const auto first = brand.find_first_not_of(' ');
  const auto last = brand.find_last_not_of(' ');
  return first == std::string::npos ? "(no brand string)"
                                    : brand.substr(first, last - first + 1);
}

}  // namespace

int main() {
  CpuidRegisters regs;
  if (!Cpuid(0, &regs)) {
    std::puts("unknown");
    return 0;
  }
  // The vendor identification is EBX, EDX, ECX, in that order.
  const std::string vendor = Bytes(regs.ebx) + Bytes(regs.edx) + Bytes(regs.ecx);
  std::printf("%s\n%s\n", vendor.c_str(), BrandString().c_str());

  if (Cpuid(1, &regs)) {
    const unsigned stepping = regs.eax & 0xFu;
    unsigned model = (regs.eax >> 4) & 0xFu;
    unsigned family = (regs.eax >> 8) & 0xFu;
    // The extended fields count only for these families (Intel SDM, AMD APM).
    if (family == 0x6u || family == 0xFu) model += ((regs.eax >> 16) & 0xFu) << 4;
    if (family == 0xFu) family += (regs.eax >> 20) & 0xFFu;
    std::printf("family %u model %u stepping %u\n", family, model, stepping);
  }
  return 0;
}
