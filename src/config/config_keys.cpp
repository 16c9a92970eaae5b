// Reading and writing config.ini's keys with the defaults of their table.
#include "config/config_keys.h"

#include <cassert>

#include "config/mem_ini_file.h"

namespace {

const TKeyDefault& DefaultFor(const TConfigKey& key, TReader reader) {
    return reader == TReader::Dialog ? key.Dialog : key.Program;
}

} // namespace

int32_t ReadInt(const TMemIniFile& store, const TConfigKey& key, TReader reader) {
    assert(key.Type == TKeyType::Integer || key.Type == TKeyType::Colour);
    return store.QueryInt(key.Section, key.Name, DefaultFor(key, reader).Number);
}

bool ReadFlag(const TMemIniFile& store, const TConfigKey& key, TReader reader) {
    assert(key.Type == TKeyType::Flag);
    return store.QueryFlag(key.Section, key.Name, DefaultFor(key, reader).Number != 0);
}

std::string ReadText(const TMemIniFile& store, const TConfigKey& key, TReader reader) {
    return store.QueryText(key.Section, key.Name, DefaultFor(key, reader).Text);
}

void ReadText(const TMemIniFile& store, const TConfigKey& key, std::string& value) {
    store.QueryText(key.Section, key.Name, key.Program.Text, value);
}

bool IsStored(const TMemIniFile& store, const TConfigKey& key) {
    return store.HasKey(key.Section, key.Name);
}

void WriteInt(TMemIniFile& store, const TConfigKey& key, int32_t value) {
    assert(key.Type == TKeyType::Integer || key.Type == TKeyType::Colour);
    store.StoreInt(key.Section, key.Name, value);
}

void WriteFlag(TMemIniFile& store, const TConfigKey& key, bool value) {
    assert(key.Type == TKeyType::Flag);
    store.StoreFlag(key.Section, key.Name, value);
}

void WriteText(TMemIniFile& store, const TConfigKey& key, const std::string& value) {
    store.StoreText(key.Section, key.Name, value);
}
