#pragma once
// Transmissions of every procedure, said right and with a typical mistake, and how each is judged.
// The checker's test reads them as text; the transcription test and the bench have flite's voices
// speak them and judge what the recogniser heard.
#include "voice/Procedure.h"
#include "voice/Vocabulary.h"

#include <QList>
#include <QStringList>
#include <QTest>

namespace voicetest {

struct SpokenCase {
    const char* name;
    const char* text;   // as the synthesizer is given it
    const char* voice;  // the flite voice the test speaks it with
    voice::Kind kind;
    QStringList wrong;  // the elements judged wrong; every other one is right
};

// The radio as it starts: Kelpo, and the stations of its directory.
inline voice::Speaker kelpo() {
    return {{"Kelpo", "316123456"},
            {{"Vox's Sweetness", "367010203"}, {"Boston Coast Guard", "003669927"}, {"Brask's Kruiser", "316789012"},
             {"Tarvik's Madness", "316416622"}, {"Quorp's Pet", "316777777"}, {"Glimmet's Sparkler", "366345345"},
             {"The Blue Crane", "366232323"}, {"The Dace D", "316056789"}, {"Quils Wonder", "338121212"}}};
}

// The words of a text as the recogniser writes them.
inline QString wordsOf(const char* text) { return voice::nameWords(QString::fromUtf8(text)); }

inline const QList<SpokenCase>& spokenCases() {
    using voice::Kind;
    static const QList<SpokenCase> cases{
        {"mayday", "Mayday, Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six one two three four five six. "
                   "Mayday, Kelpo. Position four two degrees one seven minutes north, zero seven zero degrees four seven "
                   "minutes west. We are on fire. Request immediate assistance. Four persons on board. Over.",
         "rms", Kind::Mayday, {}},
        {"mayday once", "Mayday. This is Kelpo, three one six one two three four five six. Position four one degrees "
                        "four three decimal two minutes north, zero seven zero degrees one two decimal niner minutes west. "
                        "Man overboard. Require immediate assistance. Three persons on board. Over.",
         "rms", Kind::Mayday, {}},
        {"mayday once, wrong mmsi", "Mayday. This is Kelpo, three one six one two three four six five. Position four "
                                    "two degrees three three minutes north, zero seven zero degrees five one minutes "
                                    "west. Fire. Request immediate assistance. Two persons on board. Over.",
         "kal16", Kind::Mayday, {"mmsi"}},
        {"mayday twice, no position", "Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six one two three four "
                                      "five six. Mayday, Kelpo. We are sinking. Request immediate assistance. Five persons "
                                      "on board. Over.",
         "awb", Kind::Mayday, {"mayday-count", "position"}},
        {"mayday with out, no persons", "Mayday, Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six one two "
                                        "three four five six. Mayday, Kelpo. Position four two degrees two one minutes "
                                        "north, zero seven zero degrees five five minutes west. Collision. Request "
                                        "immediate assistance. Out.",
         "kal16", Kind::Mayday, {"persons", "ending"}},
        {"acknowledgement", "Mayday. The Blue Crane, The Blue Crane, The Blue Crane. This is Kelpo, Kelpo, Kelpo. "
                            "Received Mayday.",
         "slt", Kind::DistressAck, {}},
        {"acknowledgement without received", "Mayday. The Blue Crane, The Blue Crane. This is Kelpo, Kelpo. Over.",
         "rms", Kind::DistressAck, {"received"}},
        {"relay", "Mayday Relay, Mayday Relay, Mayday Relay. All stations, all stations, all stations. This is Kelpo, "
                  "Kelpo, Kelpo. Following received from Glimmet's Sparkler. Mayday, Glimmet's Sparkler. Position "
                  "four two degrees one zero minutes north, zero seven zero degrees three zero minutes west. Flooding. "
                  "Over.",
         "awb", Kind::MaydayRelay, {}},
        {"relay once, no nature", "Mayday Relay. All stations. This is Kelpo. Following received from The Blue Crane. "
                                  "Mayday, The Blue Crane. Position four one degrees five eight minutes north, zero seven "
                                  "zero degrees zero two minutes west. Over.",
         "rms", Kind::MaydayRelay, {"relay-count", "called", "nature"}},
        {"pan pan", "Pan Pan, Pan Pan, Pan Pan. All stations, all stations, all stations. This is Kelpo, Kelpo, Kelpo. "
                    "Position four two degrees zero five minutes north, zero seven zero degrees three eight minutes west. "
                    "Engine failure. Request a tow. Over.",
         "kal16", Kind::PanPan, {}},
        {"pan pan to the coast, no position", "Pan Pan, Pan Pan, Pan Pan. Boston Coast Guard, Boston Coast Guard, Boston "
                                              "Coast Guard. This is Kelpo, Kelpo, Kelpo. Steering failure. Request a "
                                              "tow. Out.",
         "slt", Kind::PanPan, {"position", "ending"}},
        {"securite", "Securite, Securite, Securite. All stations, all stations, all stations. This is Kelpo, Kelpo, Kelpo. "
                     "Floating container in position four two degrees two zero minutes north, zero seven zero degrees four "
                     "zero minutes west. Out.",
         "rms", Kind::Securite, {}},
        {"securite with over", "Securite, Securite, Securite. All stations, all stations, all stations. This is Kelpo, "
                               "Kelpo, Kelpo. Listen on channel one three. Over.",
         "awb", Kind::Securite, {"ending"}},
        {"routine", "The Blue Crane, The Blue Crane, this is Kelpo, Kelpo. Request your position. Over.", "kal16",
         Kind::Routine, {}},
        {"radio check", "Boston Coast Guard, this is Kelpo, radio check on channel one six. Over.", "awb", Kind::Routine,
         {}},
        {"routine with another name", "Vox's Sweetness, Vox's Sweetness, this is Quorp's Pet. Switch to channel seven two. "
                                      "Over.",
         "slt", Kind::Routine, {"own-name"}},
        {"cancel", "All stations, all stations, all stations. This is Kelpo, Kelpo, Kelpo, MMSI three one six one two "
                   "three four five six. Position four two degrees one seven minutes north, zero seven zero degrees four "
                   "seven minutes west. Cancel my distress alert of one three four five UTC. Out.",
         "awb", Kind::Cancel, {}},
        {"cancel with over, no time", "All stations, all stations, all stations. This is Kelpo, Kelpo, Kelpo, MMSI three "
                                      "one six one two three four five six. Position four two degrees one seven minutes "
                                      "north, zero seven zero degrees four seven minutes west. Cancel my distress alert. "
                                      "Over.",
         "rms", Kind::Cancel, {"time", "ending"}},
        // In the speaker's own words: natures, urgencies and hazards described freely.
        {"mayday in own words", "Mayday, Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six one two three "
                                "four five six. Mayday, Kelpo. Position four two degrees one five minutes north, zero "
                                "seven zero degrees three five minutes west. We are taking water fast after hitting a "
                                "submerged object. We need immediate assistance. Three persons on board. Over.",
         "rms", Kind::Mayday, {}},
        {"mayday dismasted", "Mayday. This is Kelpo, three one six one two three four five six. Position four two "
                             "degrees two two minutes north, zero seven zero degrees four four minutes west. Dismasted "
                             "and drifting onto the rocks. Request immediate assistance. Two persons on board. Over.",
         "slt", Kind::Mayday, {}},
        {"mayday in own words, no position", "Mayday, Mayday, Mayday. This is Kelpo, Kelpo, Kelpo, MMSI three one six one "
                                             "two three four five six. Mayday, Kelpo. Explosion in the engine room, the "
                                             "boat is on fire. Request immediate assistance. Four persons on board. Over.",
         "awb", Kind::Mayday, {"position"}},
        {"pan pan injured", "Pan Pan, Pan Pan, Pan Pan. All stations, all stations, all stations. This is Kelpo, Kelpo, "
                            "Kelpo. Position four two degrees one one minutes north, zero seven zero degrees two six "
                            "minutes west. Crew member injured, require medical advice. Over.",
         "awb", Kind::PanPan, {}},
        {"pan pan, no urgency", "Pan Pan, Pan Pan, Pan Pan. All stations, all stations, all stations. This is Kelpo, "
                                "Kelpo, Kelpo. Position four two degrees zero three minutes north, zero seven zero degrees "
                                "one nine minutes west. Over.",
         "rms", Kind::PanPan, {"nature"}},
        {"securite unlit buoy", "Securite, Securite, Securite. All stations, all stations, all stations. This is Kelpo, "
                                "Kelpo, Kelpo. Unlit buoy adrift in position four two degrees one eight minutes north, "
                                "zero seven zero degrees three one minutes west. Out.",
         "kal16", Kind::Securite, {}},
        {"securite in own words", "Securite, Securite, Securite. All stations, all stations, all stations. This is "
                                  "Kelpo, Kelpo, Kelpo. Large tree trunk drifting three miles east of Cape Ann. Out.",
         "slt", Kind::Securite, {}},
        {"securite without this is", "Securite, Securite, Securite. All stations, all stations, all stations. Kelpo, "
                                     "Kelpo, Kelpo. Floating container sighted in position four two degrees two six "
                                     "minutes north, zero seven zero degrees zero eight minutes west. Out.",
         "rms", Kind::Securite, {"this-is"}},
        {"routine in own words", "Quils Wonder, Quils Wonder, this is Kelpo. We will be late for the race, meet you at "
                                 "the harbour. Over.",
         "kal16", Kind::Routine, {}},
    };
    return cases;
}

// One data row per transmission, by its name, with its index in spokenCases().
inline void addSpokenRows() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < spokenCases().size(); ++i) QTest::newRow(spokenCases()[i].name) << i;
}

} // namespace voicetest
