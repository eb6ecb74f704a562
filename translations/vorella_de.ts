<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CAboutBox</name>
    <message>
        <location filename="../src/ui/dialogs/AboutBox.cpp" line="+16"/>
        <source>About %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Telephone call recorder and answering machine</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CAdapterFields</name>
    <message>
        <location filename="../src/ui/dialogs/AdapterFields.cpp" line="+39"/>
        <source>Adapter&apos;s &amp;sound card:</source>
        <translation>&amp;Soundkarte des Adapters:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Adapter&apos;s &amp;input device:</source>
        <translation>&amp;Eingabegerät des Adapters:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>About the USB telephone adapter</source>
        <translation>Über den USB-Telefonadapter</translation>
    </message>
</context>
<context>
    <name>CAdapterPage</name>
    <message>
        <location filename="../src/ui/wizard/AdapterPage.cpp" line="+12"/>
        <source>USB Telephone Adapter</source>
        <translation>USB-Telefonadapter</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Which sound card and input device belong to the adapter?</source>
        <translation>Welche Soundkarte und welches Eingabegerät gehören zum Adapter?</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The adapter appears to the computer as a sound card, which carries the line&apos;s sound, and often as an input device, which reports the ring, the local phone&apos;s handset and its keypad.</source>
        <translation>Der Adapter erscheint dem Computer als Soundkarte, die den Ton der Leitung trägt, und oft als Eingabegerät, das das Klingeln, den Hörer des Telefons und seine Tasten meldet.</translation>
    </message>
</context>
<context>
    <name>CAdvancedPage</name>
    <message>
        <location filename="../src/ui/options/AdvancedPage.cpp" line="+23"/>
        <source>Advanced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Record all incoming calls automatically</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Recording starts when the handset is lifted and ends when it is put down.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Record &amp;up to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Hang up after</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>seconds unattended</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>seconds of silence</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Silence detection threshold:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>&amp;Compatibility option:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Compatibility</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Performance</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CCallListModel</name>
    <message>
        <location filename="../src/ui/main/CallListModel.cpp" line="+15"/>
        <source>Icon (persistent)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Importance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Date/Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+110"/>
        <source>Message on the answering machine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Recorded conversation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Conversation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Important</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CCallerPanel</name>
    <message>
        <location filename="../src/ui/main/CallerPanel.cpp" line="+22"/>
        <source>Caller&apos;s name</source>
        <translation>Name des Anrufers</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Caller&apos;s number</source>
        <translation>Nummer des Anrufers</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Memo on the call</source>
        <translation>Notiz zum Anruf</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Keys the caller pressed</source>
        <translation>Vom Anrufer gedrückte Tasten</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>&amp;From:</source>
        <translation>&amp;Von:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>N&amp;umber:</source>
        <translation>N&amp;ummer:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>M&amp;emo:</source>
        <translation>N&amp;otiz:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Keys:</source>
        <translation>Taste&amp;n:</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>on the line</source>
        <translation>in der Leitung</translation>
    </message>
</context>
<context>
    <name>CCallsModel</name>
    <message>
        <location filename="../src/ui/main/CallsModel.cpp" line="+12"/>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Caller</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Outcome</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rule</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+96"/>
        <source>The network&apos;s name: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CCallsView</name>
    <message>
        <location filename="../src/ui/main/CallsView.cpp" line="+54"/>
        <source>Call history</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>This caller&apos;s calls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;This caller&apos;s calls:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+40"/>
        <source>The call history cannot be shown: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CContactEditDlg</name>
    <message>
        <location filename="../src/ui/dialogs/ContactEditDlg.cpp" line="+33"/>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>permit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>block</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Edit Contact</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>New Contact</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Add &amp;number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Re&amp;move number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the usual greeting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Choose the greeting file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>N&amp;ame:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>N&amp;umbers:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;List:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Greeting:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>M&amp;emo:</source>
        <translation type="unfinished">N&amp;otiz:</translation>
    </message>
    <message>
        <location line="+64"/>
        <source>Choose a greeting</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CContactsDlg</name>
    <message>
        <location filename="../src/ui/dialogs/ContactsDlg.cpp" line="+59"/>
        <source>Contacts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Search names and numbers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Numbers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+16"/>
        <source>List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-14"/>
        <source>&amp;Add...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Edit...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Delete</source>
        <translation type="unfinished">&amp;Löschen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Import...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>E&amp;xport...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Contacts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Numbers beginning with</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>0900, +44 ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Add ra&amp;nge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Dele&amp;te range</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Withheld or anonymous:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Out of area:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>&amp;Payphone:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>In&amp;valid caller ID:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Number ranges:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Callers who send no number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Rules</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+20"/>
        <source>Import Contacts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Contacts (*.vcf *.vcard *.csv *.txt);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Export Contacts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>vCard (*.vcf);;CSV (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+67"/>
        <source>The first %1 contacts are shown; a search finds the others.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+33"/>
        <source>%1 is stored.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1 was deleted meanwhile.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Delete the contact %1?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 is deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+27"/>
        <source>Nothing is imported: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Contacts imported from %1: %2; skipped: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>... and %1 more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Nothing is exported: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Contacts exported to %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CDesktopNotice</name>
    <message>
        <location filename="../src/ui/popup/DesktopNotice.cpp" line="+33"/>
        <source>Answer</source>
        <translation>Annehmen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+1"/>
        <source>Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Block caller</source>
        <translation>Anrufer sperren</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Add to contacts</source>
        <translation>Zu Kontakten hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Always let through</source>
        <translation>Immer durchlassen</translation>
    </message>
</context>
<context>
    <name>CDevicePage</name>
    <message>
        <location filename="../src/ui/options/DevicePage.cpp" line="+24"/>
        <source>Serial port (voice modem)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Telephony line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>USB telephone adapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Telephony line, recordings compressed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Telephone Device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>SIP &amp;accounts...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Record talked calls in stereo (far end left, me right)</source>
        <translation>Am PC geführte Gespräche in Stereo aufnehmen (Gegenseite links, ich rechts)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Modem driver:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;COM port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mo&amp;dem model:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Telephony &amp;line:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Talk at the PC through:</source>
        <translation>Am PC &amp;sprechen über:</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>None: search every port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>%1 - not present</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CDiagnosticsDlg</name>
    <message>
        <location filename="../src/ui/dialogs/DiagnosticsDlg.cpp" line="+22"/>
        <source>No modem is open, so there is nothing to ask. Switch monitoring on and check that the modem&apos;s port (nComPort and [Ports] in vorella.ini) can be opened, then try again.</source>
        <translation>Kein Modem ist geöffnet, also gibt es niemanden zu fragen. Schalten Sie die Überwachung ein, prüfen Sie, ob sich der Anschluss des Modems (nComPort und [Ports] in vorella.ini) öffnen lässt, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The line is busy with a call. Try again once the call is over.</source>
        <translation>Auf der Leitung läuft ein Anruf. Versuchen Sie es nach dem Anruf erneut.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Modem Diagnostics</source>
        <translation>Modemdiagnose</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>C&amp;opy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Save...</source>
        <translation>&amp;Speichern...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Email to Support</source>
        <translation>Per &amp;E-Mail an den Support</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Save Diagnostics Report</source>
        <translation>Diagnosebericht speichern</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Text files (*.txt);;All files (*)</source>
        <translation>Textdateien (*.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Asking the modem; this takes up to half a minute...</source>
        <translation>Das Modem wird befragt; das dauert bis zu einer halben Minute...</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Done: every probe with the modem&apos;s answer.</source>
        <translation>Fertig: jede Abfrage mit der Antwort des Modems.</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>The report could not be saved to %1:

%2</source>
        <translation>Der Bericht konnte nicht unter %1 gespeichert werden:

%2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The report could not be handed to the mail program (xdg-open): %1</source>
        <translation>Der Bericht konnte nicht an das E-Mail-Programm übergeben werden (xdg-open): %1</translation>
    </message>
</context>
<context>
    <name>CEmailPage</name>
    <message>
        <location filename="../src/ui/options/EmailPage.cpp" line="+28"/>
        <source>E-Mail Notification</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Email me about incoming calls automatically</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Only notify if there were</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>rings or more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>E-mail &amp;address:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Send &amp;directly via SMTP server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Se&amp;rver address (e.g. mail.yourisp.com):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>STARTTLS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>TLS</source>
        <translation type="unfinished">TLS</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>&amp;Port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Encr&amp;yption:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;User:</source>
        <translation type="unfinished">&amp;Benutzer:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pass&amp;word:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <location line="+107"/>
        <source>Send &amp;test message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-41"/>
        <source>Type the server&apos;s address and your e-mail address first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Sending...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The test message was sent to %1.

The server said: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The test message could not be sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The server said: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-104"/>
        <source>&amp;Keep trying a notice the server did not take for</source>
        <translation>&amp;Mitteilungen, die der Server nicht annahm, erneut versuchen während</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>hours</source>
        <translation>Stunden</translation>
    </message>
</context>
<context>
    <name>CEventsPage</name>
    <message>
        <location filename="../src/ui/options/EventsPage.cpp" line="+21"/>
        <source>Events</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Program for each call</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Start a program for each call</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The words call.number, call.name, call.file and call.event become the call&apos;s values, each one whole argument. No shell is involved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;After the call, not when the caller is known</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Only for calls &amp;nobody answered</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Pause monitoring while it runs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not for &amp;blocked callers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Run now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Starts the program for a sample caller.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Pro&amp;gram:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Ar&amp;guments:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Text messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The mobile phone told of each message; empty sends none.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The port of a mobile-network modem (not the line&apos;s modem).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The words call.event, call.name, call.number and call.seconds become the call&apos;s values; one message of at most 160 characters is sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source> s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Also for calls &amp;nobody answered</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Only for &amp;contacts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Send &amp;test message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Send to:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Modem port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Te&amp;xt:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>times,</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>apart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Tr&amp;y again:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Forwarding</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Always</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>When the machine would answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>After the message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Also &amp;blocked callers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Forward:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>T&amp;o number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>On this telephony line the call itself is sent on: redirected before it is answered, transferred after the message.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>A modem or adapter line cannot send a call on: once a message is stored, Vorella dials the number and plays the message.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Home automation (MQTT)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Publish the call &amp;events on an MQTT broker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>TLS</source>
        <translation type="unfinished">TLS</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The certificate authority&apos;s file for TLS; empty uses the system&apos;s.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The events go to &lt;prefix&gt;/event, the line&apos;s state to &lt;prefix&gt;/state.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Take &amp;commands from the broker</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Send test &amp;event</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Publishes a test event with the settings as typed here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Broker:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>P&amp;ort:</source>
        <translation type="unfinished">P&amp;ort:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Encr&amp;yption:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Certificate a&amp;uthority:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;User:</source>
        <translation type="unfinished">&amp;Benutzer:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pass&amp;word:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Topic &amp;prefix:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+53"/>
        <source>The MQTT service failed: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+51"/>
        <source>Starting the program...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Enter the mobile phone&apos;s number to send a test message to.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Sending a test message...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Enter the broker&apos;s address to send a test event to.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Sending a test event...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The test event was sent to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The test event was not sent: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CFolderTree</name>
    <message>
        <location filename="../src/ui/main/FolderTree.cpp" line="+43"/>
        <source>Call folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Calls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Every call that rang, answered or not</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Missed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Blocked</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CGeneralPage</name>
    <message>
        <location filename="../src/ui/options/GeneralPage.cpp" line="+17"/>
        <source>Startup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Run at system &amp;startup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Start to System &amp;Tray</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show &amp;notifications on incoming calls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Compress recorded messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>1:10 compression ratio; slightly decreases quality</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Select folder to store recorded messages:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>the program folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Browse...</source>
        <translation type="unfinished">&amp;Durchsuchen...</translation>
    </message>
</context>
<context>
    <name>CLineListing</name>
    <message>
        <location filename="../src/ui/dialogs/LineListing.cpp" line="+24"/>
        <source>Looking for telephony lines...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <location filename="../src/ui/main/MainDlg.cpp" line="+155"/>
        <source>Search names, numbers, memos, dates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Search the calls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Search:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Calls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Columns of the call list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+232"/>
        <source>The call index cannot be read, so the list stays empty; the file is left as it is.

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/main/MainDlgRecordings.cpp" line="+87"/>
        <source>The recording cannot be used:

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Printing not yet implemented.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+52"/>
        <source>The recording cannot be played here: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+1"/>
        <source>Play a File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The recording in progress cannot be deleted; stop it first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Not every recording could be deleted:

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+1"/>
        <source>Save as</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Move to Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Folder (type a new name to make a folder in &quot;Recorded Calls&quot;):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>&quot;%1&quot; cannot be a folder name: it must not be empty or hold &quot;/&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Not every recording could be moved:

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>The recording could not be handed to the mail program:

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The recording could not be opened for editing (xdg-open): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>The call list was written to %1, but its page could not be made: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The call list was written to %1 but could not be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/ui/main/MainDlgCalls.cpp" line="+44"/>
        <source>Block caller</source>
        <translation type="unfinished">Anrufer sperren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Always let through</source>
        <translation type="unfinished">Immer durchlassen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Add to contacts</source>
        <translation type="unfinished">Zu Kontakten hinzufügen</translation>
    </message>
</context>
<context>
    <name>CMainMenu</name>
    <message>
        <location filename="../src/ui/main/MainMenu.cpp" line="+26"/>
        <source>&amp;Calls</source>
        <translation>&amp;Anrufe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Line</source>
        <translation>&amp;Leitung</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>S&amp;ound</source>
        <translation>&amp;Ton</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Play</source>
        <translation>&amp;Wiedergeben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Play a File...</source>
        <translation>&amp;Datei wiedergeben...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save &amp;as...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Move to Folder...</source>
        <translation>In Ordner &amp;verschieben...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>S&amp;end To...</source>
        <translation>&amp;Senden an...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Edit &amp;recording...</source>
        <translation>Aufnahme be&amp;arbeiten...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Find</source>
        <translation>Su&amp;chen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Export Calls to XML</source>
        <translation>Anrufe als &amp;XML exportieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Prin&amp;t</source>
        <translation>Druc&amp;ken</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Restart</source>
        <translation>&amp;Neu starten</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>A&amp;nswer</source>
        <translation>A&amp;nnehmen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Record</source>
        <translation>&amp;Aufnehmen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Update</source>
        <translation>A&amp;ktualisieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Hold</source>
        <translation>&amp;Halten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Hold &amp;On-Hold</source>
        <translation>Warte&amp;musik</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>D&amp;ial the Number</source>
        <translation>Nummer &amp;wählen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Answer Instead of Recording</source>
        <translation>Anruf&amp;beantworter statt Aufnahme</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Disable</source>
        <translation>&amp;Deaktivieren</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Mu&amp;te</source>
        <translation>&amp;Stumm</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;AGC</source>
        <translation>&amp;AGC</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Record &amp;Greeting...</source>
        <translation>&amp;Ansage aufnehmen...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Configuration...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>D&amp;iagnostics...</source>
        <translation>&amp;Diagnose...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>C&amp;ontacts...</source>
        <translation>&amp;Kontakte...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A&amp;bout...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <location line="+6"/>
        <location line="+2"/>
        <source>Call buttons</source>
        <translation>Anruftasten</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>More call buttons</source>
        <translation>Weitere Anruftasten</translation>
    </message>
</context>
<context>
    <name>CMyPropertyPage0</name>
    <message>
        <location filename="../src/ui/wizard/WizardPages.cpp" line="+66"/>
        <source>This wizard sets up how Vorella reaches your telephone line: a voice modem on a serial or USB port, a line of the telephony layer, or a USB telephone adapter.

At the end Vorella restarts with the new settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Click Next when you are ready to continue.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMyPropertyPage01</name>
    <message>
        <location line="-31"/>
        <source>Access &amp;serial port directly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Vorella talks to your voice modem itself with AT commands, on a serial port or as a USB modem (/dev/ttyS*, /dev/ttyACM*, /dev/ttyUSB*). The choice for most voice modems.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Access the modem through &amp;TAPI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The system&apos;s telephony layer drives the device and Vorella uses one of its lines.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Use a &amp;USB telephone adapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A USB telephone adapter between your telephone and the line, driven by its own control.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Use a Com&amp;vurgent telephony extension</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A Comvurgent telephony device, used through the telephony layer like a line.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+56"/>
        <source>What&apos;s the difference?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMyPropertyPage02</name>
    <message>
        <location line="+32"/>
        <source>The phone line is a device of the system&apos;s telephony layer that represents your modem.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Line:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMyPropertyPage1</name>
    <message>
        <location line="-67"/>
        <source>Vorella can ask your modem which model it is and choose the matching settings for you. Before you go on:

• turn the modem on and connect it to the computer and to the telephone line;
• quit every program that uses the modem, such as a fax or dial-up program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Don&apos;t detect my modem; I will select it from a list.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMyPropertyPage2</name>
    <message>
        <location filename="../src/ui/wizard/SerialPage.cpp" line="+35"/>
        <source>Select your &amp;modem:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Please select the closest match or use a suggested one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Serial port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>&amp;Cancel detection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+32"/>
        <source>No serial device found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+25"/>
        <source>%1 — not present (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>no device set in [Ports]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Asking the modem which model it is...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Suggested: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The modem could not be opened: %1. Please quit the program that uses it and press Back and Next to try again, or select your modem.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No model could be suggested; please select your modem.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Detection cancelled; please select your modem.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CMyPropertyPage3</name>
    <message>
        <location filename="../src/ui/wizard/WizardPages.cpp" line="+85"/>
        <source>You have successfully installed the program! Press &apos;Finish&apos; to start using Vorella.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>If your modem misses commands or cuts recordings short, turn on the compatibility mode in the options: Vorella then gives the modem a pause after each command and after it stops playing or recording, as slower modems need.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CNotifyDlg</name>
    <message>
        <location filename="../src/ui/popup/NotifyDlg.cpp" line="+32"/>
        <source>Incoming call</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-21"/>
        <source>Answer</source>
        <translation>Annehmen</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Answer at the PC: talk through the computer&apos;s headset</source>
        <translation>Am PC annehmen: über das Headset des Computers sprechen</translation>
    </message>
    <message>
        <location line="-28"/>
        <source>Block caller</source>
        <translation>Anrufer sperren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Add to contacts</source>
        <translation>Zu Kontakten hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Always let through</source>
        <translation>Immer durchlassen</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Put this number on the block list</source>
        <translation>Diese Nummer auf die Sperrliste setzen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Make a contact of this caller</source>
        <translation>Einen Kontakt für diesen Anrufer anlegen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Put this number on the permit list</source>
        <translation>Diese Nummer auf die Liste der Erlaubten setzen</translation>
    </message>
</context>
<context>
    <name>COptionsTreeDlg</name>
    <message>
        <location filename="../src/ui/options/OptionsTreeDlg.cpp" line="+58"/>
        <source>%1 Options - version %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+14"/>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Advanced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>E-Mail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Telephone Device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Screening</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Speech</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Events</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Web Page</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CPlayerBar</name>
    <message>
        <location filename="../src/ui/main/PlayerBar.cpp" line="+24"/>
        <source>Play or pause the recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Play on this computer (Ctrl+Space)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Ctrl+Space</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Position in the recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Position and length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+1"/>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;Volume:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CQtFrontEnd</name>
    <message>
        <location filename="../src/ui/frontend/QtFrontEnd.cpp" line="+32"/>
        <source>This desktop has no notification area, so Vorella shows its window instead.

Closing the window keeps Vorella watching the line; Exit in its menu ends it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+492"/>
        <source>Monitoring paused</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CRecGreetDlg</name>
    <message>
        <location filename="../src/ui/dialogs/RecGreetDlg.cpp" line="+29"/>
        <source>Record Greeting</source>
        <translation>Ansage aufnehmen</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Browse...</source>
        <translation>Du&amp;rchsuchen...</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Greeting &amp;file:</source>
        <translation>Ansage&amp;datei:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Modem&apos;s &amp;voice source:</source>
        <translation>&amp;Tonquelle des Modems:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sound card &amp;input:</source>
        <translation>&amp;Eingang der Soundkarte:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Record through the modem</source>
        <translation>Über das Modem &amp;aufnehmen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Play through the modem</source>
        <translation>Über das Modem a&amp;bspielen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Record from the &amp;sound card</source>
        <translation>Von der &amp;Soundkarte aufnehmen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Listen</source>
        <translation>A&amp;nhören</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>S&amp;top</source>
        <translation>Sto&amp;pp</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Discard the new recording</source>
        <translation>Neue Aufnahme &amp;verwerfen</translation>
    </message>
    <message>
        <location line="+86"/>
        <source>Working... Stop ends it.</source>
        <translation>Läuft... Stopp beendet es.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>New greeting recorded (%1 s). OK keeps it; Cancel keeps the old one.</source>
        <translation>Neue Ansage aufgenommen (%1 s). OK behält sie; Abbrechen behält die alte.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Greeting file</source>
        <translation>Ansagedatei</translation>
    </message>
</context>
<context>
    <name>CScreeningPage</name>
    <message>
        <location filename="../src/ui/options/ScreeningPage.cpp" line="+30"/>
        <source>Call Screening</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>As the language settings say (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Show as blocked, let it ring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Hang up at once</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Play &quot;number not in service&quot; and hang up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Take a message with their own greeting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Always &amp;hang up on blocked callers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>As any caller</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Never answered by the machine</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Answered at the first ring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source> minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>never</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Country of the numbers:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Blocked callers:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Permitted callers:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A caller ringing again &amp;within:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>P&amp;ause all screening: every call rings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Ask &amp;unknown and withheld callers to press a key first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;E-mail only about calls from contacts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Contacts &amp;file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>B&amp;rowse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>On an analogue line the caller ID comes after the first ring, so the telephones ring once before screening acts; a SIP line acts before anything rings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+42"/>
        <source>Choose the contacts file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CSipAccountsDlg</name>
    <message>
        <location filename="../src/ui/options/SipAccountsDlg.cpp" line="+23"/>
        <source>SIP Accounts</source>
        <translation>SIP-Konten</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>user@registrar</source>
        <translation>benutzer@registrar</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>none: calls straight to this computer</source>
        <translation>keiner: Anrufe direkt an diesen Computer</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>UDP</source>
        <translation>UDP</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>TCP</source>
        <translation>TCP</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>TLS</source>
        <translation>TLS</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>every interface</source>
        <translation>alle Schnittstellen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>any free port</source>
        <translation>ein freier Port</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Re&amp;gistrar:</source>
        <translation>Re&amp;gistrar:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;User:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Transport:</source>
        <translation>&amp;Transport:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Listen address:</source>
        <translation>&amp;Lauschadresse:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>P&amp;ort:</source>
        <translation>P&amp;ort:</translation>
    </message>
    <message>
        <location line="+80"/>
        <source>(new account)</source>
        <translation>(neues Konto)</translation>
    </message>
    <message>
        <location line="-79"/>
        <source>Registration:</source>
        <translation>Anmeldung:</translation>
    </message>
    <message>
        <location line="+67"/>
        <source>not in use: its line is not open</source>
        <translation>nicht in Gebrauch: seine Leitung ist nicht geöffnet</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>no registrar: calls come straight to this computer</source>
        <translation>keine Registrierstelle: Anrufe kommen direkt zu diesem Computer</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1; trying again</source>
        <translation>%1; erneuter Versuch folgt</translation>
    </message>
</context>
<context>
    <name>CSoundsPage</name>
    <message>
        <location filename="../src/ui/options/SoundsPage.cpp" line="+23"/>
        <source>&amp;Default legal message:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>On-hold &amp;music:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Hold-On-Hold message:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PIN &amp;request:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>PIN instructions:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Before the &amp;menu:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;New messages:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No ne&amp;w messages:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+24"/>
        <location line="+114"/>
        <source>Choose a sound file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-111"/>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-20"/>
        <source>&amp;Record a new greeting...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+39"/>
        <source>Choose the greeting by &amp;day and time:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Entries separated by &quot;;&quot;, the first that holds the moment wins: days (Mon-Fri, Sat,Sun), a time range (22:00-06:00 runs over midnight), or both, then the greeting&apos;s file; &quot;*&quot; stands for always. A file without a folder is in wave/.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Remote access by phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;PIN (at least four digits; empty: no remote access):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>M&amp;ore PINs, separated by &quot;;&quot;:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Toll saver: ring two more times when there are no new messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+69"/>
        <source>The sound cannot be played: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CSpeechPage</name>
    <message>
        <location filename="../src/ui/options/SpeechPage.cpp" line="+24"/>
        <source>Speech</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Announce incoming callers on the sound card</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not while the tray is set to Busy or Do Not Disturb.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Say &amp;first:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Say the caller&apos;s &amp;name after:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Say the n&amp;umber after:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Say the number &amp;only when there is no name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Spell &quot;N A&quot; when the number is &amp;unavailable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Repeat:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Says a sample caller on the sound card.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>times</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+49"/>
        <source>With these choices nothing is said about the caller.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CTrayIcon</name>
    <message>
        <location filename="../src/ui/tray/TrayIcon.cpp" line="+98"/>
        <source>Call screening paused</source>
        <translation>Anruffilter pausiert</translation>
    </message>
</context>
<context>
    <name>CWebPage</name>
    <message>
        <location filename="../src/ui/options/WebPage.cpp" line="+18"/>
        <source>Web Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Serve the web page while Vorella runs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A web browser then shows the line, the calls and the contacts, after a login with the password set below.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>127.0.0.1 serves this computer only; 0.0.0.0 every network this computer is on.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Use &amp;HTTPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>made in the program folder at the first start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Set &amp;password...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;Listen on:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>P&amp;ort:</source>
        <translation type="unfinished">P&amp;ort:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Certificate file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Key file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Login:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+63"/>
        <source>Warning: other computers on the network can reach this page and try passwords. Choose this only on a network you trust, with a long password.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Without HTTPS the password, the calls and the recordings cross the network unencrypted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No password is set: nobody can log in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A password is set.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Open %1 in a web browser.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Switched on, the page is at %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CWebPasswordDlg</name>
    <message>
        <location filename="../src/ui/options/WebPasswordDlg.cpp" line="+15"/>
        <source>Web Page Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;New password:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The &amp;same again:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Only a hash of the password is kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The password must have %1 to %2 characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The two passwords differ.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The password could not be stored in %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <location filename="../src/ui/tray/TrayMenu.cpp" line="+20"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A&amp;bout...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Record</source>
        <translation>&amp;Aufnehmen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Play</source>
        <translation>&amp;Wiedergeben</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Disable</source>
        <translation>&amp;Deaktivieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>S&amp;tatus</source>
        <translation>S&amp;tatus</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Online	Call Alert only</source>
        <translation>&amp;Online	Nur Anrufanzeige</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A&amp;way	Answering Machine</source>
        <translation>&amp;Abwesend	Anrufbeantworter</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Busy	Mute sounds</source>
        <translation>&amp;Beschäftigt	Töne stumm</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Do Not Disturb	Suppress all sounds and visuals</source>
        <translation>&amp;Nicht stören	Keine Töne und keine Anzeigen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>O&amp;ffline	Release the modem</source>
        <translation>O&amp;ffline	Modem freigeben</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Configuration...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>D&amp;iagnostics...</source>
        <translation>D&amp;iagnose...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location line="-8"/>
        <source>Block the &amp;last caller</source>
        <translation>&amp;Letzten Anrufer sperren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Pa&amp;use call screening</source>
        <translation>Anruf&amp;filter pausieren</translation>
    </message>
</context>
<context>
    <name>UnbuiltWindows</name>
    <message>
        <location filename="../src/ui/dialogs/UnbuiltWindows.cpp" line="+13"/>
        <source>The notification tests are not part of this version yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The e-mail test is not part of this version yet.

&apos;vorella-tool mail --test ADDRESS&apos; sends a test notice.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
