#include "history_recorder.h"

#include "history_path.h"
#include "history_stamp.h"
#include "history_writer.h"

#include <utility>

namespace kestrel {

namespace {

void Fill(std::string& field, const std::string& learned) {
    if (!learned.empty())
        field = learned;
}

} // namespace

HistoryRecorder::HistoryRecorder(std::string_view face, const QString& given, QObject* parent)
    : QObject(parent), m_face(face) {
    HistoryStore::Options options;
    // The usual history's folder is made at the first event; a folder named
    // by the operator must be there.
    options.createFolder = IsDefaultHistoryPath(given);
    m_writer = std::make_unique<HistoryWriter>(HistoryPath(given), options);
    connect(m_writer.get(), &HistoryWriter::failed, this, &HistoryRecorder::failed);
}

HistoryRecorder::~HistoryRecorder() {
    Finish();
}

QString HistoryRecorder::Path() const {
    return m_writer->Path();
}

std::string HistoryRecorder::Begin(const HistoryStart& start) {
    HistoryEvent event = BeginEvent(m_face, start.action);
    event.address = start.camera.address;
    event.serial = start.camera.serial;
    event.model = start.camera.model;
    event.hardwareBefore = start.camera.hardware;
    event.software = start.camera.software;
    event.target = start.camera.target;
    event.recordFile = start.recordFile;
    event.stickFiles = start.stickFiles;
    event.signerKey = start.signerKey;
    const std::string id = event.operation;
    Begun& begun = m_open[id];
    begun.begin = event;
    begun.clock.start();
    m_writer->Write(std::move(event));
    return id;
}

void HistoryRecorder::End(const std::string& operation, const HistoryFinish& finish) {
    const auto found = m_open.find(operation);
    if (found == m_open.end())
        return;
    HistoryEvent event = EndEvent(found->second.begin);
    event.result = finish.result;
    event.changed = finish.changed;
    event.hardwareAfter = finish.hardwareAfter;
    event.elapsedMs = finish.elapsedMs.value_or(found->second.clock.elapsed());
    Fill(event.address, finish.camera.address);
    Fill(event.serial, finish.camera.serial);
    Fill(event.model, finish.camera.model);
    Fill(event.hardwareBefore, finish.camera.hardware);
    Fill(event.software, finish.camera.software);
    Fill(event.target, finish.camera.target);
    Fill(event.recordFile, finish.recordFile);
    Fill(event.signerKey, finish.signerKey);
    if (!finish.stickFiles.empty())
        event.stickFiles = finish.stickFiles;
    m_open.erase(found);
    m_writer->Write(std::move(event));
}

bool HistoryRecorder::Finish(QString* failure) {
    return m_writer->Finish(failure);
}

} // namespace kestrel
