#include "LinkRig.h"

#include <string.h>

C_LinkRig::C_LinkRig(const char* port, DWORD baudOption)
    : owner(window.Handle()), strings(GetModuleHandleA(NULL)), dataValid(0), cancelRequested(0), refreshes(0),
      refreshThread(0), dataValidAtRefresh(-1)
{
    memset(portField, 0, sizeof(portField));
    size_t length = strlen(port);
    memcpy(portField, port, length < sizeof(portField) ? length : sizeof(portField) - 1);
    memset(header.bytes, 0, sizeof(header.bytes));
    records.Init();

    InitDownloadJob(download);
    download.owner.window = &owner;
    download.owner.strings = &strings;
    download.owner.language = 1033;
    download.portName = portField;
    download.portNameFieldSize = sizeof(portField);
    download.baudOption = baudOption;
    download.header = &header;
    download.records = &records;
    download.dataValid = &dataValid;
    download.cancelRequested = &cancelRequested;
    download.refreshDisplay = Refresh;
    download.context = this;
    download.progress = &progress;

    InitEraseJob(erase);
    erase.owner = download.owner;
    erase.portName = portField;
    erase.portNameFieldSize = sizeof(portField);
    erase.baudOption = baudOption;
    erase.records = &records;
    erase.dataValid = &dataValid;
    erase.refreshDisplay = Refresh;
    erase.context = this;
}

C_LinkRig::~C_LinkRig()
{
    Wait(60000);
    ClearRecords(records);
}

void C_LinkRig::Refresh(void* self)
{
    C_LinkRig* rig = static_cast<C_LinkRig*>(self);
    rig->refreshThread = GetCurrentThreadId();
    rig->dataValidAtRefresh = rig->dataValid.load();
    ++rig->refreshes;
}

int C_LinkRig::StartOnly()
{
    return StartDownload(thread, download);
}

int C_LinkRig::Wait(DWORD milliseconds)
{
    if (!thread.IsRunning())
        return 1;
    thread.Wait(milliseconds);
    return !thread.IsRunning();
}

int C_LinkRig::Download(DWORD milliseconds)
{
    if (!StartOnly())
        return 0;
    return Wait(milliseconds);
}

void C_LinkRig::FillOldData()
{
    memset(header.bytes, 'H', sizeof(header.bytes));
    for (int i = 0; i < 2; ++i)
    {
        RecordNode* node = NewRecordNode();
        memset(node->record.bytes, 'R', sizeof(node->record.bytes));
        records.Append(node);
    }
    dataValid = 1;
}

int C_LinkRig::HasOldData() const
{
    std::vector<std::string> kept = Records();
    return dataValid.load() == 1 && Header() == std::string(sizeof(header.bytes), 'H') && kept.size() == 2 &&
           kept[0] == std::string(48, 'R') && kept[1] == std::string(48, 'R');
}

std::vector<std::string> C_LinkRig::Records() const
{
    std::vector<std::string> list;
    for (RecordNode* node = records.First(); node; node = node->next)
        list.push_back(std::string(node->record.bytes, sizeof(node->record.bytes)));
    return list;
}
