#include "sip/SipSoundCard.h"

#include "audio/QueueSoundBackend.h"
#include "platform/TextUtil.h"
#include "sip/SipLineSignals.h"

#include <linphone++/linphone.hh>
#include <linphone/core.h>
#include <mediastreamer2/msfactory.h>
#include <mediastreamer2/msfilter.h>
#include <mediastreamer2/mssndcard.h>
#include <mediastreamer2/msticker.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = static_cast<int>(CQueueSoundBackend::kRate);

// What a card and its filters are tied to.
struct CardLink {
    CQueueSoundBackend* pBackend = nullptr;
    int nDevice = 0;
    CSipLineSignals* pSignals = nullptr; // hears the far end too, when set
};

struct ReaderState {
    CardLink link;
    uint64_t nStartMs = 0;  // the ticker's time when the stream started
    uint64_t nProduced = 0; // samples sent since
};

CardLink* LinkOf(MSSndCard* card) {
    return static_cast<CardLink*>(card->data);
}

// ---- methods both filters share: the format is fixed ------------------------

int SetRate(MSFilter*, void* arg) {
    return *static_cast<int*>(arg) == kRate ? 0 : -1;
}
int GetRate(MSFilter*, void* arg) {
    *static_cast<int*>(arg) = kRate;
    return 0;
}
int SetChannels(MSFilter*, void* arg) {
    return *static_cast<int*>(arg) == 1 ? 0 : -1;
}
int GetChannels(MSFilter*, void* arg) {
    *static_cast<int*>(arg) = 1;
    return 0;
}

MSFilterMethod g_methods[] = {
    {MS_FILTER_SET_SAMPLE_RATE, SetRate},
    {MS_FILTER_GET_SAMPLE_RATE, GetRate},
    {MS_FILTER_SET_NCHANNELS, SetChannels},
    {MS_FILTER_GET_NCHANNELS, GetChannels},
    {0, nullptr},
};

// ---- the reader: what the far end hears ---------------------------------------

void ReaderUninit(MSFilter* f) {
    delete static_cast<ReaderState*>(f->data);
    f->data = nullptr;
}

void ReaderPreprocess(MSFilter* f) {
    auto* s = static_cast<ReaderState*>(f->data);
    s->nStartMs = f->ticker->time;
    s->nProduced = 0;
}

// Sends as many samples as the media clock says are due by now, so the
// stream keeps its pace whether or not anything is being played.
void ReaderProcess(MSFilter* f) {
    auto* s = static_cast<ReaderState*>(f->data);
    const uint64_t due = (f->ticker->time - s->nStartMs) * kRate / 1000;
    if (due <= s->nProduced)
        return;
    const auto count = static_cast<size_t>(due - s->nProduced);
    mblk_t* m = allocb(count * sizeof(int16_t), 0);
    s->link.pBackend->Take(s->link.nDevice, reinterpret_cast<int16_t*>(m->b_wptr), count);
    m->b_wptr += count * sizeof(int16_t);
    ms_queue_put(f->outputs[0], m);
    s->nProduced = due;
}

MSFilterDesc ReaderDesc() {
    MSFilterDesc d{};
    d.id = MS_FILTER_PLUGIN_ID;
    d.name = "VorellaLineRead";
    d.text = "The program's sound sent on a call";
    d.category = MS_FILTER_OTHER;
    d.noutputs = 1;
    d.preprocess = ReaderPreprocess;
    d.process = ReaderProcess;
    d.uninit = ReaderUninit;
    d.methods = g_methods;
    return d;
}
MSFilterDesc g_readerDesc = ReaderDesc();

// ---- the writer: what the far end says ----------------------------------------

void WriterUninit(MSFilter* f) {
    delete static_cast<CardLink*>(f->data);
    f->data = nullptr;
}

void WriterProcess(MSFilter* f) {
    auto* link = static_cast<CardLink*>(f->data);
    while (mblk_t* m = ms_queue_get(f->inputs[0])) {
        for (mblk_t* b = m; b; b = b->b_cont) {
            const size_t count = static_cast<size_t>(b->b_wptr - b->b_rptr) / sizeof(int16_t);
            const auto* samples = reinterpret_cast<const int16_t*>(b->b_rptr);
            link->pBackend->Deliver(link->nDevice, samples, count);
            if (link->pSignals)
                link->pSignals->Put(samples, count);
        }
        freemsg(m);
    }
}

MSFilterDesc WriterDesc() {
    MSFilterDesc d{};
    d.id = MS_FILTER_PLUGIN_ID;
    d.name = "VorellaLineWrite";
    d.text = "A call's sound handed to the program";
    d.category = MS_FILTER_OTHER;
    d.ninputs = 1;
    d.process = WriterProcess;
    d.uninit = WriterUninit;
    d.methods = g_methods;
    return d;
}
MSFilterDesc g_writerDesc = WriterDesc();

// ---- the card -------------------------------------------------------------------

MSFilter* CreateReader(MSSndCard* card) {
    MSFilter* f = ms_factory_create_filter_from_desc(ms_snd_card_get_factory(card), &g_readerDesc);
    if (f)
        f->data = new ReaderState{*LinkOf(card), 0, 0};
    return f;
}

MSFilter* CreateWriter(MSSndCard* card) {
    MSFilter* f = ms_factory_create_filter_from_desc(ms_snd_card_get_factory(card), &g_writerDesc);
    if (f)
        f->data = new CardLink(*LinkOf(card));
    return f;
}

void CardUninit(MSSndCard* card) {
    delete LinkOf(card);
    card->data = nullptr;
}

MSSndCard* NewCard(const std::string& name, const CardLink& link);

MSSndCard* DuplicateCard(MSSndCard* card) {
    return NewCard(ms_snd_card_get_name(card), *LinkOf(card));
}

MSSndCardDesc CardDesc() {
    MSSndCardDesc d{};
    d.driver_type = "Vorella";
    d.create_reader = CreateReader;
    d.create_writer = CreateWriter;
    d.uninit = CardUninit;
    d.duplicate = DuplicateCard;
    return d;
}
MSSndCardDesc g_cardDesc = CardDesc();

MSSndCard* NewCard(const std::string& name, const CardLink& link) {
    MSSndCard* card = ms_snd_card_new_with_name(&g_cardDesc, name.c_str());
    card->data = new CardLink(link);
    card->capabilities = MS_SND_CARD_CAP_CAPTURE | MS_SND_CARD_CAP_PLAYBACK;
    card->preferred_sample_rate = kRate;
    return card;
}

} // namespace

std::string UseSipSoundCard(linphone::Core& core, CQueueSoundBackend& backend, int nDevice,
                            std::string* pWhy, CSipLineSignals* pSignals) {
    MSFactory* factory = linphone_core_get_ms_factory(core.cPtr());
    MSSndCardManager* manager = factory ? ms_factory_get_snd_card_manager(factory) : nullptr;
    if (!manager) {
        *pWhy = "the SIP stack has no sound card manager";
        return {};
    }
    MSSndCard* card = NewCard(StrPrintf("line %d", nDevice), CardLink{&backend, nDevice, pSignals});
    const std::string id = ms_snd_card_get_string_id(card);
    ms_snd_card_manager_add_card(manager, card);
    core.setCaptureDevice(id);
    core.setPlaybackDevice(id);
    if (core.getCaptureDevice() != id || core.getPlaybackDevice() != id) {
        *pWhy = "the SIP stack did not take the sound card " + id;
        return {};
    }
    return id;
}
