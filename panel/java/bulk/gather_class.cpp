/* A class file writer just big enough for the gather helper: a constant
 * pool, one static method, forward branches and one backward loop. */
#include "panel/java/bulk/gather_class.h"

#include <map>

#include "panel/model/field_codec.h"

const char kGatherMethod[] = "gather";
const char kGatherSignature[] = "([Ljava/lang/Object;II[I[C)I";

GatherPlan::GatherPlan(const RecordLayout& fields)
    : layout(fields), count(0), slots(), intStride(0), charStride(0) {
    /* The mark, the int fields side by side in table order (as
     * IntFieldsPlan takes them), then the Strings' and arrays' counts and
     * entries. */
    size_t ints = 1;
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        if (IsIntField(def)) slots[count++] = {&def, static_cast<KS_U16>(ints++), 0};
        return true;
    });
    size_t chars = 0;
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        if (IsIntField(def)) return true;
        GatherSlot& slot = slots[count++];
        slot = {&def, static_cast<KS_U16>(ints++), 0};
        if (def.kind == FieldKind::kText) {
            slot.text = static_cast<KS_U16>(chars);
            chars += def.width;
        } else {
            ints += def.width;
        }
        return true;
    });
    intStride = static_cast<KS_U16>(ints);
    charStride = static_cast<KS_U16>(chars);
}

namespace {

/* The few opcodes the helper uses. */
enum Op : KS_U8 {
    kIconst0 = 0x03,
    kIconst1 = 0x04,
    kBipush = 0x10,
    kSipush = 0x11,
    kLdcW = 0x13,
    kIload = 0x15,
    kAload = 0x19,
    kAaload = 0x32,
    kIstore = 0x36,
    kAstore = 0x3a,
    kIastore = 0x4f,
    kIadd = 0x60,
    kIinc = 0x84,
    kIfIcmpge = 0xa2,
    kIfAcmpne = 0xa6,
    kGoto = 0xa7,
    kIreturn = 0xac,
    kGetfield = 0xb4,
    kInvokevirtual = 0xb6,
    kInvokestatic = 0xb8,
    kArraylength = 0xbe,
    kCheckcast = 0xc0,
    kIfnull = 0xc6,
};

const KS_U16 kAccPublicStatic = 0x0009;
const KS_U16 kAccFinalSuperSynthetic = 0x1030;

void PutU2(std::vector<KS_U8>* out, size_t value) {
    out->push_back(static_cast<KS_U8>(value >> 8));
    out->push_back(static_cast<KS_U8>(value));
}

void PutU4(std::vector<KS_U8>* out, size_t value) {
    PutU2(out, value >> 16);
    PutU2(out, value & 0xFFFF);
}

/* Entries are made once each, looked up by tag and content. */
class ConstantPool {
public:
    KS_U16 Utf8(const std::string& text) {
        return Entry("1" + text, [&] {
            m_bytes.push_back(1);
            PutU2(&m_bytes, text.size());
            m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        });
    }
    KS_U16 Class(const std::string& name) {
        KS_U16 utf = Utf8(name);
        return Entry("7" + name, [&] { Put(7, utf); });
    }
    KS_U16 Field(KS_U16 owner, const char* name, const char* type) {
        return Member(9, owner, name, type);
    }
    KS_U16 Method(const std::string& owner, const char* name, const char* type) {
        return Member(10, Class(owner), name, type);
    }
    KS_U16 Count() const { return m_next; }
    const std::vector<KS_U8>& Bytes() const { return m_bytes; }

private:
    template <typename Write>
    KS_U16 Entry(const std::string& key, Write write) {
        auto found = m_index.find(key);
        if (found != m_index.end()) return found->second;
        write();
        m_index.emplace(key, m_next);
        return m_next++;
    }
    void Put(KS_U8 tag, KS_U16 a) {
        m_bytes.push_back(tag);
        PutU2(&m_bytes, a);
    }
    KS_U16 Member(KS_U8 tag, KS_U16 owner, const char* name, const char* type) {
        KS_U16 utfName = Utf8(name);
        KS_U16 utfType = Utf8(type);
        std::string nat = std::to_string(utfName) + ":" + std::to_string(utfType);
        KS_U16 both = Entry("12" + nat, [&] {
            Put(12, utfName);
            PutU2(&m_bytes, utfType);
        });
        return Entry(std::to_string(tag) + std::to_string(owner) + ":" + nat, [&] {
            Put(tag, owner);
            PutU2(&m_bytes, both);
        });
    }

    std::vector<KS_U8> m_bytes;
    std::map<std::string, KS_U16> m_index;
    KS_U16 m_next = 1;
};

/* A branch target; branches to it before it is bound are patched then. */
struct Label {
    long at = -1;
    std::vector<size_t> branches; /* offsets of the branch opcodes */
};

class Code {
public:
    void Emit(KS_U8 op) { m_code.push_back(op); }
    void EmitU2(KS_U8 op, KS_U16 index) {
        Emit(op);
        PutU2(&m_code, index);
    }
    void Local(KS_U8 op, KS_U8 local) {
        Emit(op);
        Emit(local);
    }
    void Int(int value) {
        if (value == 0 || value == 1) {
            Emit(static_cast<KS_U8>(kIconst0 + value));
        } else if (value < 128) {
            Local(kBipush, static_cast<KS_U8>(value));
        } else {
            EmitU2(kSipush, static_cast<KS_U16>(value));
        }
    }
    void Branch(KS_U8 op, Label* target) {
        size_t at = m_code.size();
        Emit(op);
        PutU2(&m_code, 0);
        if (target->at >= 0)
            Patch(at, static_cast<size_t>(target->at));
        else
            target->branches.push_back(at);
    }
    void Bind(Label* label) {
        label->at = static_cast<long>(m_code.size());
        for (size_t at : label->branches) Patch(at, m_code.size());
        label->branches.clear();
    }
    const std::vector<KS_U8>& Bytes() const { return m_code; }

private:
    /* Offsets count from the branch opcode; the method is far below 32 KiB. */
    void Patch(size_t at, size_t target) {
        KS_U16 offset = static_cast<KS_U16>(static_cast<long>(target) - static_cast<long>(at));
        m_code[at + 1] = static_cast<KS_U8>(offset >> 8);
        m_code[at + 2] = static_cast<KS_U8>(offset);
    }
    std::vector<KS_U8> m_code;
};

/* Locals of gather: its arguments, then its own. */
enum Local : KS_U8 {
    kPanels = 0,
    kFirst,
    kCount,
    kInts,
    kChars,
    kK,     /* slot number */
    kPanel, /* element, then the same cast to the panel class */
    kIntAt, /* k * intStride */
    kCharAt,
    kRef,   /* the String or int[] of a field */
    kTaken, /* units or entries taken from it */
    kLocals
};
const KS_U16 kMaxStack = 8;

struct Refs {
    KS_U16 panelClass, getClass, length, getChars, min, arraycopy;
};

/* ints[intAt + index] = the int on top of what push() leaves. */
template <typename Push>
void StoreInt(Code* code, int index, Push push) {
    code->Local(kAload, kInts);
    code->Local(kIload, kIntAt);
    code->Int(index);
    code->Emit(kIadd);
    push();
    code->Emit(kIastore);
}

/* kTaken = min(n, width) of the reference in kRef, 0 for null, stored at
 * ints[intAt + at]; copy() copies what was taken. */
template <typename Length, typename Copy>
void TakeObject(Code* code, const GatherSlot& slot, const Refs& refs, Length length, Copy copy) {
    Label done;
    code->Int(0);
    code->Local(kIstore, kTaken);
    code->Local(kAload, kRef);
    code->Branch(kIfnull, &done);
    code->Local(kAload, kRef);
    length();
    code->Int(slot.def->width);
    code->EmitU2(kInvokestatic, refs.min);
    code->Local(kIstore, kTaken);
    copy();
    code->Bind(&done);
    StoreInt(code, slot.at, [&] { code->Local(kIload, kTaken); });
}

void GatherField(Code* code, ConstantPool* pool, const GatherSlot& slot, const Refs& refs) {
    const FieldSpec& def = *slot.def;
    const KS_U16 field = pool->Field(refs.panelClass, def.name, FieldSignature(def.kind));
    auto read = [&] {
        code->Local(kAload, kPanel);
        code->EmitU2(kGetfield, field);
    };
    if (def.kind != FieldKind::kText && def.kind != FieldKind::kBytes) {
        StoreInt(code, slot.at, read);
        return;
    }
    read();
    code->Local(kAstore, kRef);
    if (def.kind == FieldKind::kText) {
        /* s.getChars(0, taken, chars, charAt + text) */
        TakeObject(code, slot, refs, [&] { code->EmitU2(kInvokevirtual, refs.length); }, [&] {
            code->Local(kAload, kRef);
            code->Int(0);
            code->Local(kIload, kTaken);
            code->Local(kAload, kChars);
            code->Local(kIload, kCharAt);
            code->Int(slot.text);
            code->Emit(kIadd);
            code->EmitU2(kInvokevirtual, refs.getChars);
        });
    } else {
        /* System.arraycopy(a, 0, ints, intAt + at + 1, taken) */
        TakeObject(code, slot, refs, [&] { code->Emit(kArraylength); }, [&] {
            code->Local(kAload, kRef);
            code->Int(0);
            code->Local(kAload, kInts);
            code->Local(kIload, kIntAt);
            code->Int(slot.at + 1);
            code->Emit(kIadd);
            code->Local(kIload, kTaken);
            code->EmitU2(kInvokestatic, refs.arraycopy);
        });
    }
}

/* The body of gather: one loop over the slots, straight-line code per
 * field inside. */
void GatherCode(const GatherPlan& plan, const std::string& panelClass, ConstantPool* pool,
                Code* code) {
    const std::string object = "java/lang/Object";
    Refs refs = {};
    refs.getClass = pool->Method(object, "getClass", "()Ljava/lang/Class;");
    refs.length = pool->Method("java/lang/String", "length", "()I");
    refs.getChars = pool->Method("java/lang/String", "getChars", "(II[CI)V");
    refs.min = pool->Method("java/lang/Math", "min", "(II)I");
    refs.arraycopy =
        pool->Method("java/lang/System", "arraycopy", "(Ljava/lang/Object;ILjava/lang/Object;II)V");
    refs.panelClass = pool->Class(panelClass);

    Label loop, end, other, next;
    for (KS_U8 local : {kK, kIntAt, kCharAt}) {
        code->Int(0);
        code->Local(kIstore, local);
    }
    code->Bind(&loop);
    code->Local(kIload, kK);
    code->Local(kIload, kCount);
    code->Branch(kIfIcmpge, &end);
    code->Local(kAload, kPanels);
    code->Local(kIload, kFirst);
    code->Local(kIload, kK);
    code->Emit(kIadd);
    code->Emit(kAaload);
    code->Local(kAstore, kPanel);
    /* Exactly the panel class: a subclass may hide a field behind its own. */
    code->Local(kAload, kPanel);
    code->Branch(kIfnull, &other);
    code->Local(kAload, kPanel);
    code->EmitU2(kInvokevirtual, refs.getClass);
    code->EmitU2(kLdcW, refs.panelClass);
    code->Branch(kIfAcmpne, &other);
    code->Local(kAload, kPanel);
    code->EmitU2(kCheckcast, refs.panelClass);
    code->Local(kAstore, kPanel);
    StoreInt(code, 0, [&] { code->Int(1); });
    for (size_t i = 0; i < plan.count; ++i) GatherField(code, pool, plan.slots[i], refs);
    code->Branch(kGoto, &next);
    code->Bind(&other);
    StoreInt(code, 0, [&] { code->Int(0); });
    code->Bind(&next);
    code->Emit(kIinc);
    code->Emit(kK);
    code->Emit(1);
    for (auto step : {std::make_pair(kIntAt, plan.intStride), std::make_pair(kCharAt, plan.charStride)}) {
        code->Local(kIload, step.first);
        code->Int(step.second);
        code->Emit(kIadd);
        code->Local(kIstore, step.first);
    }
    code->Branch(kGoto, &loop);
    code->Bind(&end);
    code->Local(kIload, kK);
    code->Emit(kIreturn);
}

}  // namespace

bool WriteGatherClass(const GatherPlan& plan, const std::string& helperName,
                      const std::string& panelClass, std::vector<KS_U8>* out) {
    if (helperName.size() > 0xFFFF || panelClass.size() > 0xFFFF) return false;
    ConstantPool pool;
    const KS_U16 self = pool.Class(helperName);
    const KS_U16 super = pool.Class("java/lang/Object");
    const KS_U16 name = pool.Utf8(kGatherMethod);
    const KS_U16 signature = pool.Utf8(kGatherSignature);
    const KS_U16 codeName = pool.Utf8("Code");
    Code code;
    GatherCode(plan, panelClass, &pool, &code);

    out->clear();
    PutU4(out, 0xCAFEBABE);
    PutU2(out, 0);  /* minor */
    PutU2(out, 49); /* major */
    PutU2(out, pool.Count());
    out->insert(out->end(), pool.Bytes().begin(), pool.Bytes().end());
    PutU2(out, kAccFinalSuperSynthetic);
    PutU2(out, self);
    PutU2(out, super);
    PutU2(out, 0); /* interfaces */
    PutU2(out, 0); /* fields */
    PutU2(out, 1); /* methods */
    PutU2(out, kAccPublicStatic);
    PutU2(out, name);
    PutU2(out, signature);
    PutU2(out, 1); /* attributes of the method: Code */
    PutU2(out, codeName);
    const std::vector<KS_U8>& bytes = code.Bytes();
    PutU4(out, 2 + 2 + 4 + bytes.size() + 2 + 2);
    PutU2(out, kMaxStack);
    PutU2(out, kLocals);
    PutU4(out, bytes.size());
    out->insert(out->end(), bytes.begin(), bytes.end());
    PutU2(out, 0); /* exception table */
    PutU2(out, 0); /* attributes of the code */
    PutU2(out, 0); /* attributes of the class */
    return true;
}
