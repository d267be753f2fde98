#include "tools/host/DicomFile.h"

#include <dcmtk/dcmdata/dctk.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "tools/host/DibFiles.h"
#include "tools/host/OptionFields.h"

namespace {

std::string NewUid() {
    char uid[100];
    dcmGenerateUniqueIdentifier(uid, SITE_INSTANCE_UID_ROOT);
    return uid;
}

class Dataset {
public:
    explicit Dataset(DcmItem& item) : item_(item) {}
    void Put(const DcmTagKey& tag, const std::string& value) {
        if (ok_)
            ok_ = item_.putAndInsertString(tag, value.c_str()).good();
    }
    void PutNumber(const DcmTagKey& tag, Uint16 value) {
        if (ok_)
            ok_ = item_.putAndInsertUint16(tag, value).good();
    }
    void PutCode(const DcmTagKey& sequence, const std::string& value, const char* scheme,
                 const std::string& meaning) {
        DcmItem* code = nullptr;
        if (ok_)
            ok_ = item_.findOrCreateSequenceItem(sequence, code, -2).good();
        if (ok_) {
            Dataset entry(*code);
            entry.Put(DCM_CodeValue, value);
            entry.Put(DCM_CodingSchemeDesignator, scheme);
            entry.Put(DCM_CodeMeaning, meaning);
            ok_ = entry.ok_;
        }
    }
    bool Ok() const { return ok_; }

private:
    DcmItem& item_;
    bool ok_ = true;
};

std::uint32_t Read32(const std::vector<std::uint8_t>& record, std::size_t offset) {
    std::uint32_t value = 0;
    if (record.size() >= offset + 4)
        std::memcpy(&value, record.data() + offset, 4);
    return value;
}

// The two-digit designation of ISO 3950 for the tooth (permanent teeth
// numbered 1 to 32 from the upper right third molar, primary teeth lettered).
int PermanentDesignation(int tooth) {
    if (tooth <= 8)
        return 19 - tooth;
    if (tooth <= 16)
        return 12 + tooth;
    if (tooth <= 24)
        return 55 - tooth;
    return 16 + tooth;
}

int PrimaryDesignation(int letter) { // 0 is A
    if (letter < 5)
        return 55 - letter;
    if (letter < 10)
        return 56 + letter;
    if (letter < 15)
        return 85 - letter;
    return 66 + letter;
}

// The imaged teeth as the primary anatomic structures.
void PutTeeth(Dataset& data, std::uint32_t permanentTeeth, std::uint32_t primaryTeeth) {
    for (int tooth = 1; tooth <= 32; ++tooth)
        if (permanentTeeth & (1u << (tooth - 1))) {
            const std::string code = std::to_string(PermanentDesignation(tooth));
            data.PutCode(DCM_PrimaryAnatomicStructureSequence, code, "ISO3950", "Tooth " + code);
        }
    for (int letter = 0; letter < 20; ++letter)
        if (primaryTeeth & (1u << letter)) {
            const std::string code = std::to_string(PrimaryDesignation(letter));
            data.PutCode(DCM_PrimaryAnatomicStructureSequence, code, "ISO3950", "Tooth " + code);
        }
}

std::string Today(const char* format) {
    char text[16] = {};
    const std::time_t now = std::time(nullptr);
    std::strftime(text, sizeof text, format, std::localtime(&now));
    return text;
}

void PutPatientStudySeries(Dataset& data, const std::vector<std::uint8_t>& description) {
    data.Put(DCM_SpecificCharacterSet, "ISO_IR 100");
    data.Put(DCM_SOPClassUID, RecordText(description, 4, 64));
    data.Put(DCM_SOPInstanceUID, NewUid());
    data.Put(DCM_PatientName, "");
    data.Put(DCM_PatientID, "");
    data.Put(DCM_PatientBirthDate, "");
    data.Put(DCM_PatientSex, "");
    data.Put(DCM_StudyInstanceUID, NewUid());
    data.Put(DCM_StudyDate, Today("%Y%m%d"));
    data.Put(DCM_StudyTime, Today("%H%M%S"));
    data.Put(DCM_ReferringPhysicianName, "");
    data.Put(DCM_StudyID, "");
    data.Put(DCM_AccessionNumber, "");
    data.Put(DCM_Modality, RecordText(description, 68, 32));
    data.Put(DCM_SeriesInstanceUID, NewUid());
    data.Put(DCM_SeriesNumber, "1");
    data.Put(DCM_PresentationIntentType, "FOR PRESENTATION");
    data.Put(DCM_Manufacturer, RecordText(description, 100, 64));
    data.Put(DCM_InstitutionName, RecordText(description, 164, 128));
    data.Put(DCM_SoftwareVersions, RecordText(description, 420, 64));
    data.Put(DCM_StationName, RecordText(description, 484, 16));
}

void PutImage(Dataset& data, const std::vector<std::uint8_t>& description,
              const std::string& teethText) {
    data.Put(DCM_InstanceNumber, "1");
    data.Put(DCM_PatientOrientation, "L\\F");
    data.Put(DCM_ContentDate, Today("%Y%m%d"));
    data.Put(DCM_ContentTime, Today("%H%M%S"));
    data.Put(DCM_ImageType, "ORIGINAL\\PRIMARY");
    data.Put(DCM_BurnedInAnnotation, "YES"); // the family's label
    data.Put(DCM_LossyImageCompression, "00");
    data.Put(DCM_ImageLaterality, RecordText(description, 1280, 32));
    data.PutCode(DCM_AnatomicRegionSequence, RecordText(description, 1376, 32), "SRT",
                 RecordText(description, 1312, 64));
    PutTeeth(data, Read32(description, 1572), Read32(description, 1576));
    data.Put(DCM_ImageComments,
             "Teeth " + teethText + "; orientation " + RecordText(description, 1216, 64));
    data.Put(DCM_PixelIntensityRelationship, "LIN");
    data.Put(DCM_PixelIntensityRelationshipSign, "1");
    data.Put(DCM_RescaleIntercept, "0");
    data.Put(DCM_RescaleSlope, "1");
    data.Put(DCM_RescaleType, "US");
    data.Put(DCM_PresentationLUTShape, "IDENTITY");
    data.Put(DCM_DetectorType, "SCINTILLATOR");
    data.Put(DCM_PositionerType, "NONE");
}

void PutPixels(Dataset& data, DcmDataset& dataset, const std::vector<std::uint8_t>& dib,
               const DibLayout& layout) {
    const double pixelsPerMeter = layout.pixelsPerMeterX > 0 ? layout.pixelsPerMeterX : 50000;
    char spacing[64];
    std::snprintf(spacing, sizeof spacing, "%.6g\\%.6g", 1000.0 / pixelsPerMeter,
                  1000.0 / (layout.pixelsPerMeterY > 0 ? layout.pixelsPerMeterY : pixelsPerMeter));
    data.Put(DCM_ImagerPixelSpacing, spacing);
    data.PutNumber(DCM_SamplesPerPixel, 1);
    data.Put(DCM_PhotometricInterpretation, "MONOCHROME2");
    data.PutNumber(DCM_Rows, static_cast<Uint16>(layout.height));
    data.PutNumber(DCM_Columns, static_cast<Uint16>(layout.width));
    const auto bits = static_cast<Uint16>(layout.bitCount);
    data.PutNumber(DCM_BitsAllocated, bits);
    data.PutNumber(DCM_BitsStored, bits);
    data.PutNumber(DCM_HighBit, static_cast<Uint16>(bits - 1));
    data.PutNumber(DCM_PixelRepresentation, 0);
    const std::size_t rowBytes = static_cast<std::size_t>(layout.width) * bits / 8;
    std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(layout.height));
    std::uint32_t lowest = 0xFFFF, highest = 0;
    for (int row = 0; row < layout.height; ++row) {
        const std::uint8_t* source = DibRow(dib, layout, row);
        std::uint8_t* target = pixels.data() + rowBytes * static_cast<std::size_t>(row);
        for (int x = 0; x < layout.width; ++x) {
            std::uint32_t value;
            if (bits == 16) {
                std::memcpy(&target[2 * x], &source[2 * x], 2);
                value = static_cast<std::uint32_t>(source[2 * x] | source[2 * x + 1] << 8);
            } else {
                target[x] = DibGrey(dib, layout, source[x]);
                value = target[x];
            }
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
        }
    }
    char window[32];
    std::snprintf(window, sizeof window, "%u", (lowest + highest + 1) / 2);
    data.Put(DCM_WindowCenter, window);
    std::snprintf(window, sizeof window, "%u", std::max(highest - lowest + 1, 2u));
    data.Put(DCM_WindowWidth, window);
    if (!data.Ok())
        return;
    if (bits == 16)
        dataset.putAndInsertUint16Array(DCM_PixelData,
                                        reinterpret_cast<const Uint16*>(pixels.data()),
                                        static_cast<unsigned long>(pixels.size() / 2));
    else
        dataset.putAndInsertUint8Array(DCM_PixelData, pixels.data(),
                                       static_cast<unsigned long>(pixels.size()));
}

} // namespace

bool WriteDicomFile(const std::string& path, const std::vector<std::uint8_t>& dib,
                    const std::vector<std::uint8_t>& description, const std::string& teethText,
                    std::string& error) {
    DibLayout layout;
    if (!ParseDib(dib, layout, error))
        return false;
    DcmFileFormat file;
    DcmDataset& dataset = *file.getDataset();
    Dataset data(dataset);
    PutPatientStudySeries(data, description);
    PutImage(data, description, teethText);
    DcmItem* context = nullptr;
    dataset.findOrCreateSequenceItem(DCM_AcquisitionContextSequence, context, -2);
    dataset.findAndDeleteSequenceItem(DCM_AcquisitionContextSequence, 0); // present and empty
    PutPixels(data, dataset, dib, layout);
    if (!data.Ok()) {
        error = "cannot build the DICOM data set";
        return false;
    }
    const OFCondition saved = file.saveFile(path.c_str(), EXS_LittleEndianExplicit);
    if (saved.bad()) {
        error = "cannot write " + path + ": " + saved.text();
        return false;
    }
    return true;
}
