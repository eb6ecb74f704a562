// Owning handles for the spandsp states this module uses, so that every
// detector and transmitter is freed with the object that made it.
#pragma once

#include <spandsp.h>

#include <memory>
#include <new>

namespace linesig {

template <typename T, int (*Free)(T*)>
struct SpandspFree {
    void operator()(T* p) const { Free(p); }
};

template <typename T, int (*Free)(T*)>
using SpandspPtr = std::unique_ptr<T, SpandspFree<T, Free>>;

using DtmfRx = SpandspPtr<dtmf_rx_state_t, dtmf_rx_free>;
using DtmfTx = SpandspPtr<dtmf_tx_state_t, dtmf_tx_free>;
using ConnectTonesRx = SpandspPtr<modem_connect_tones_rx_state_t, modem_connect_tones_rx_free>;
using ConnectTonesTx = SpandspPtr<modem_connect_tones_tx_state_t, modem_connect_tones_tx_free>;
using AdsiRx = SpandspPtr<adsi_rx_state_t, adsi_rx_free>;
using AdsiTx = SpandspPtr<adsi_tx_state_t, adsi_tx_free>;
using FskRx = SpandspPtr<fsk_rx_state_t, fsk_rx_free>;
using SuperToneRx = SpandspPtr<super_tone_rx_state_t, super_tone_rx_free>;
using SuperToneRxDescriptor = SpandspPtr<super_tone_rx_descriptor_t, super_tone_rx_free_descriptor>;
using ToneGen = SpandspPtr<tone_gen_state_t, tone_gen_free>;

// spandsp answers a failed allocation with a null state.
template <typename P>
P Checked(typename P::pointer p) {
    if (p == nullptr)
        throw std::bad_alloc();
    return P(p);
}

} // namespace linesig
