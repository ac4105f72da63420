/* The bin file readers on an arbitrary file: the input is the file.
 *
 * Each run writes the input to one file on tmpfs that the harness keeps for
 * its whole life, then reads the header or a panel through the exported
 * entry points, as readBinHeader and readBinBody do. The file is the input
 * as it is: the readers take a file shorter than 819200 bytes as padded with
 * zero bytes, so seeds and findings stay small.
 *
 * Checked beyond the sanitizers: a reader returns null or the very object it
 * was given; on null the object is untouched; no Java exception is left
 * pending for a file, however damaged. */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "tests/fuzz/fake_jni.h"
#include "tests/fuzz/fuzz_check.h"
#include "panel/model/field_table.h"
#include "panel/java/bin_operations.h"

namespace {

const char kHeaderClass[] = "com/kestrel/vimora/model/HeaderParam";
const char kDataClass[] = "com/kestrel/vimora/model/DataParam";

class ImageFile {
public:
    ImageFile() : m_path("/dev/shm/makebin-fuzz-reader-" + std::to_string(getpid()) + ".bin") {
        m_fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        FUZZ_CHECK(m_fd >= 0);
    }
    ~ImageFile() {
        close(m_fd);
        unlink(m_path.c_str());
    }
    const char* Path() const { return m_path.c_str(); }

    void Write(const uint8_t* data, size_t size) {
        size_t done = 0;
        while (done < size) {
            ssize_t n = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            FUZZ_CHECK(n > 0);
            done += static_cast<size_t>(n);
        }
        FUZZ_CHECK(ftruncate(m_fd, static_cast<off_t>(size)) == 0);
    }

private:
    std::string m_path;
    int m_fd;
};

ImageFile* g_file;
fakejni::FakeJvm* g_jvm;

/* An array in every int[] field, longer than any record member, so that the
 * reader fills one and leaves its tail 0. */
void GiveArrays(fakejni::FakeJvm& jvm, jobject panel) {
    ForEachField(R120BodyLayout(), [&](size_t, const FieldSpec& def) {
        if (def.kind == FieldKind::kBytes)
            jvm.SetObject(panel, def.name, "[I", jvm.NewJavaIntArray(std::vector<jint>(130, -1)));
        return true;
    });
}

void CheckResult(fakejni::FakeJvm& jvm, jobject given, jobject result) {
    FUZZ_CHECK(!jvm.ExceptionPending());
    fakejni::Object* object = jvm.Deref(given, "the object given");
    if (result == nullptr) {
        FUZZ_CHECK(object->writes == 0);
        return;
    }
    FUZZ_CHECK(jvm.Deref(result, "the result") == object);
    FUZZ_CHECK(object->writes > 0);
}

void ReadBody(fakejni::FakeJvm& jvm, jint index, const char* chip) {
    JNIEnv* env = jvm.Env();
    jobject panel = jvm.NewInstance(kDataClass);
    GiveArrays(jvm, panel);
    jobject result = ReadPanelBody(env, nullptr, panel, index, jvm.NewJavaString(g_file->Path()),
                                   jvm.NewJavaString(chip));
    CheckResult(jvm, panel, result);
    jvm.EndCall();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    /* Static, so that the file goes when libFuzzer ends the process with
     * exit() at the end of a run. */
    static ImageFile file;
    static fakejni::FakeJvm jvm;
    g_file = &file;
    g_jvm = &jvm;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    g_file->Write(data, size);
    fakejni::FakeJvm& jvm = *g_jvm;
    /* One read per run, chosen by the length: zero bytes appended to a file
     * change nothing in it, so the fuzzer reaches every read of every file. */
    switch (size % 3) {
        case 0: {
            jobject header = jvm.NewInstance(kHeaderClass);
            jobject result = ReadPanelHeader(jvm.Env(), nullptr, header,
                                             jvm.NewJavaString(g_file->Path()),
                                             jvm.NewJavaString("R100"));
            CheckResult(jvm, header, result);
            jvm.EndCall();
            break;
        }
        default:
            ReadBody(jvm, static_cast<jint>(size / 3 % 5) - 1, size % 3 == 1 ? "R100" : "R120");
            break;
    }
    return 0;
}
