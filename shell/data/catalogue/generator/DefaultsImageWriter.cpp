#include "CatalogueImage.h"
#include "CatalogueWriters.h"
#include "SourceFile.h"

namespace catalogue {

void writeDefaultsImage(const SCatalogue& catalogue, const std::string& path) {
    const Bytes image = defaultsImage(catalogue);
    CSourceFile out(path);
    out.line("#include \"DorerCatalogue.h\"");
    out.blank();
    out.line("const uint8_t dorerDefaults_page[%zu] = {", image.size());
    out.byteRows(image.data(), image.size());
    out.line("};");
    out.line("const uint32_t dorerDefaults_pageSize = sizeof dorerDefaults_page;");
    out.write();
}

}  // namespace catalogue
