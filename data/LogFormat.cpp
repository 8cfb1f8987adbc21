#include "data/LogFormat.h"

#include "data/C1A1LogReader.h"
#include "data/LogImport.h"
#include "data/ORVEXLogReader.h"
#include "infra/CTextFile.h"

std::int32_t DetectImportType(const std::string& path) {
    CTextFileReader reader;
    if (!reader.Open(path))
        return kImportTypeC1A1;
    std::string line;
    while (reader.ReadLine(line))
        if (IsORVEXHeaderLine(line))
            return kImportTypeORVEX;
    return kImportTypeC1A1;
}

int ImportLogOfType(std::int32_t nImportType, const std::string& path, CLogFile& log,
                    std::int32_t nMirrorY, double dRotDeg, CA1SeriesList& list) {
    switch (nImportType) {
    case kImportTypeC1A1:
        return ImportC1A1Log(path, log, nMirrorY, dRotDeg, list);
    case kImportTypeORVEX:
        return ImportORVEXLog(path, log, nMirrorY, dRotDeg, list);
    default:
        return kImportUnsupportedType;
    }
}
