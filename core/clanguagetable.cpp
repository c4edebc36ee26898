#include "core/clanguagetable.h"

namespace {

// One row per text id, one entry per language column, in the column order of
// the header: English, French, Spanish, Italian, the placeholder column,
// German, Portuguese. The source is UTF-8, so the texts are decoded as UTF-8
// and degree signs and accented letters survive as written.
//
// The placeholder column is selected by no language choice; it mostly repeats
// the English texts, with question marks where its own texts were never
// written. German keeps the English warnings and question (183 to 188).
const char *const kLabelTexts[CLanguageTable::kTextCount][CLanguageTable::kColumnCount] = {
    // clang-format off
    { "Program", "Programme", "Programar", "Programma", "????????", "Programm", "Programa" }, // 0
    { "Help", "Aide", "Ayuda", "Aiuto", "????????", "Hilfe", "Ajuda" }, // 1
    { "Pass: R/W", "Mot de passe : L/E", "Contraseña: L/E", "Password: L/S", "????????", "Passwort: L/S", "Palavra-passe: L/E" }, // 2
    { "Allow WR", "Autoriser écriture", "Permitir escritura", "Consenti scrittura", "????????", "Schreiben erlauben", "Permitir escrita" }, // 3
    { "Serial #", "Série #", "Serie #", "Seriale #", "???????? #", "Serien#", "Série #" }, // 4
    { "Allow RD", "Autoriser lecture", "Permitir lectura", "Consenti lettura", "????????", "Lesen erlauben", "Permitir leitura" }, // 5
    { "Product #", "Produit #", "Producto #", "Prodotto #", "???????? #", "Produkt#", "Produto #" }, // 6
    { "Mem. Size", "Taille mém.", "Tam. memoria", "Dim. memoria", "????????", "Speichergröße", "Tam. memória" }, // 7
    { "Trip # / Time zone", "Voyage # / Fuseau horaire", "Viaje # / Zona horaria", "Viaggio # / Fuso orario", "???????? #", "Fahrt# / Zeitzone", "Viagem # / Fuso horário" }, // 8
    { "Range(°C)", "Plage(°C)", "Rango(°C)", "Intervallo(°C)", "????????", "Bereich(°C)", "Intervalo(°C)" }, // 9
    { "Description", "Description", "Descripción", "Descrizione", "????????", "Beschreibung", "Descrição" }, // 10
    { "Logger Settings", "Paramètres de l'acquisiteur", "Configuración del registrador", "Impostazioni logger", "????????", "Logger-Einstellungen", "Definições do registador" }, // 11
    { "Int. Temp (NTC)", "Temp. int. (NTC)", "Temp. int. (NTC)", "Temp. int. (NTC)", "???????? (NTC)", "Innentemp. (NTC)", "Temp. int. (NTC)" }, // 12
    { "HHigh(°F)", "Très haut(°F)", "Muy alto(°F)", "Molto alto(°F)", "????????", "Sehr hoch(°F)", "Muito alto(°F)" }, // 13
    { "High(°F)", "Haut(°F)", "Alto(°F)", "Alto(°F)", "????????", "Hoch(°F)", "Alto(°F)" }, // 14
    { "Low(°F)", "Bas(°F)", "Bajo(°F)", "Basso(°F)", "????????", "Tief(°F)", "Baixo(°F)" }, // 15
    { "LLow(°F)", "Très bas(°F)", "Muy bajo(°F)", "Molto basso(°F)", "????????", "Sehr tief(°F)", "Muito baixo(°F)" }, // 16
    { "Enable", "Activer", "Activar", "Abilita", "????????", "Aktivieren", "Ativar" }, // 17
    { "Enable Sensor", "Activer le capteur", "Activar sensor", "Abilita sensore", "????????", "Sensor aktivieren", "Ativar sensor" }, // 18
    { "Consecutive delay before Alarm", "Délai consécutif avant alarme", "Retardo consecutivo antes de la alarma", "Ritardo consecutivo prima dell'allarme", "????????", "Aufeinanderfolgende Verzögerung vor Alarm", "Atraso consecutivo antes do alarme" }, // 19
    { "Total delay before alarm", "Délai total avant alarme", "Retardo total antes de la alarma", "Ritardo totale prima dell'allarme", "????????", "Gesamtverzögerung vor Alarm", "Atraso total antes do alarme" }, // 20
    { "Int. Hum", "Hum. int.", "Hum. int.", "Umid. int.", "????????", "Innenfeuchte", "Hum. int." }, // 21
    { "HHigh(%)", "Très haut(%)", "Muy alto(%)", "Molto alto(%)", "????????", "Sehr hoch(%)", "Muito alto(%)" }, // 22
    { "High(%)", "Haut(%)", "Alto(%)", "Alto(%)", "????????", "Hoch(%)", "Alto(%)" }, // 23
    { "Low(%)", "Bas(%)", "Bajo(%)", "Basso(%)", "????????", "Tief(%)", "Baixo(%)" }, // 24
    { "LLow(%)", "Très bas(%)", "Muy bajo(%)", "Molto basso(%)", "????????", "Sehr tief(%)", "Muito baixo(%)" }, // 25
    { "HHigh(°C)", "Très haut(°C)", "Muy alto(°C)", "Molto alto(°C)", "HHigh(°C)", "Sehr hoch(°C)", "Muito alto(°C)" }, // 26
    { "High(°C)", "Haut(°C)", "Alto(°C)", "Alto(°C)", "High(°C)", "Hoch(°C)", "Alto(°C)" }, // 27
    { "Low(°C)", "Bas(°C)", "Bajo(°C)", "Basso(°C)", "Low(°C)", "Tief(°C)", "Baixo(°C)" }, // 28
    { "LLow(°C)", "Très bas(°C)", "Muy bajo(°C)", "Molto basso(°C)", "LLow(°C)", "Sehr tief(°C)", "Muito baixo(°C)" }, // 29
    { "Ext. Temp(NTC)", "Temp. ext.(NTC)", "Temp. ext.(NTC)", "Temp. est.(NTC)", "Ext. Temp(NTC)", "Außentemp.(NTC)", "Temp. ext.(NTC)" }, // 30
    { "Start", "Démarrage", "Inicio", "Avvio", "Start", "Start", "Início" }, // 31
    { "Interval", "Intervalle", "Intervalo", "Intervallo", "Interval", "Intervall", "Intervalo" }, // 32
    { "Stop", "Arrêt", "Parada", "Arresto", "Stop", "Stopp", "Paragem" }, // 33
    { "At", "À", "A las", "Alle", "At", "Um", "Às" }, // 34
    { "Wait", "Attente", "Espera", "Attesa", "Wait", "Warten", "Espera" }, // 35
    { "After", "Après", "Después de", "Dopo", "After", "Nach", "Após" }, // 36
    { "Max", "Max", "Máx", "Max", "Max", "Max", "Máx" }, // 37
    { "Rec.", "Enr.", "Reg.", "Reg.", "Rec.", "Aufz.", "Reg." }, // 38
    { "Show Alarms", "Afficher les alarmes", "Mostrar alarmas", "Mostra allarmi", "Show Alarms", "Alarme anzeigen", "Mostrar alarmes" }, // 39
    { "Show Temp on LCD", "Afficher la temp. sur l'écran LCD", "Mostrar temp. en LCD", "Mostra temp. su LCD", "Show Temp on LCD", "Temp. auf LCD anzeigen", "Mostrar temp. no LCD" }, // 40
    { "Stop Button Enable", "Bouton d'arrêt activé", "Botón de parada activado", "Pulsante di arresto abilitato", "Stop Button Enable", "Stopp-Taste aktiviert", "Botão de paragem ativado" }, // 41
    { "Continuous Logging", "Enregistrement continu", "Registro continuo", "Registrazione continua", "Continuous Logging", "Kontinuierliche Aufzeichnung", "Registo contínuo" }, // 42
    { "Auto-Reset Enabled", "Réinitialisation auto activée", "Reinicio automático activado", "Reset automatico abilitato", "Auto-Reset Enabled", "Auto-Reset aktiviert", "Reinício automático ativado" }, // 43
    { "Logger/File List", "Liste de fichiers/acquisiteurs", "Lista de Registrador de Datos/Archivos", "Lista File/Logger", "logger/file", "Logger/Datei ", "Registador/Lista de Ficheiros" }, // 44
    { "Duration of Trip,at Least", "Durée du voyage, au moins", "Duración del viaje, al menos", "Durata del viaggio, almeno", "Durée du voyage, au moins", "Fahrtdauer, mindestens", "Duração da viagem, pelo menos" }, // 45
    { "1 Day", "1 jour", "1 día", "1 giorno", "1 jour", "1 Tag", "1 dia" }, // 46
    { "File", "Fichier", "Archivo", "File", "Fichier", "Datei", "Ficheiro" }, // 47
    { "Load", "Charger", "Cargar", "Carica", "Charger", "Laden", "Carregar" }, // 48
    { "Save", "Enregistrer", "Guardar", "Salva", "Enregistrer", "Speichern", "Guardar" }, // 49
    { "Save As", "Enregistrer sous", "Guardar como", "Salva con nome", "Enregistrer sous", "Speichern unter", "Guardar como" }, // 50
    { "Close Selected Files ", "Fermer les fichiers sélectionnés", "Cerrar archivos seleccionados", "Chiudi file selezionati", "Fermer les fichiers sélectionnés", "Ausgewählte Dateien schließen", "Fechar ficheiros selecionados" }, // 51
    { "Close All Files", "Fermer tous les fichiers", "Cerrar todos los archivos", "Chiudi tutti i file", "Fermer tous les fichiers", "Alle Dateien schließen", "Fechar todos os ficheiros" }, // 52
    { "Options", "Options", "Opciones", "Opzioni", "Options", "Optionen", "Opções" }, // 53
    { "Load from Cloud", "Charger depuis le cloud", "Cargar desde la nube", "Carica dal cloud", "Charger depuis le cloud", "Aus der Cloud laden", "Carregar da nuvem" }, // 54
    { "Load Template Program", "Charger un modèle de programme", "Cargar plantilla de programa", "Carica modello di programma", "Charger un modèle de programme", "Programmvorlage laden", "Carregar modelo de programa" }, // 55
    { "Save Template program", "Enregistrer le modèle de programme", "Guardar plantilla de programa", "Salva modello di programma", "Enregistrer le modèle de programme", "Programmvorlage speichern", "Guardar modelo de programa" }, // 56
    { "Generate PDF File", "Générer un fichier PDF", "Generar archivo PDF", "Genera file PDF", "Générer un fichier PDF", "PDF-Datei erzeugen", "Gerar ficheiro PDF" }, // 57
    { "Check For Updates ", "Rechercher des mises à jour", "Buscar actualizaciones", "Controlla aggiornamenti", "Rechercher des mises à jour", "Nach Updates suchen", "Procurar atualizações" }, // 58
    { "About", "À propos", "Acerca de", "Informazioni", "À propos", "Über", "Acerca de" }, // 59
    { "Exit", "Quitter", "Salir", "Esci", "Quitter", "Beenden", "Sair" }, // 60
    { "Add Comment", "Ajouter un commentaire", "Añadir comentario", "Aggiungi commento", "Ajouter un commentaire", "Kommentar hinzufügen", "Adicionar comentário" }, // 61
    { "Home", "Accueil", "Inicio", "Home", "Início", "Startseite", "Início" }, // 62
    { "Logger", "Acquisiteur", "Registrador", "Logger", "Registador", "Logger", "Registador" }, // 63
    { "Download", "Télécharger", "Descargar", "Scarica", "Descarregar", "Herunterladen", "Descarregar" }, // 64
    { "Lock", "Verrouiller", "Bloquear", "Blocca", "Bloquear", "Sperren", "Bloquear" }, // 65
    { "Language", "Langue", "Idioma", "Lingua", "Idioma", "Sprache", "Idioma" }, // 66
    { "English", "Anglais", "Inglés", "Inglese", "English", "Englisch", "Inglês" }, // 67
    { "French", "Français", "Francés", "Francese", "French", "Französisch", "Francês" }, // 68
    { "Russian", "Russe", "Ruso", "Russo", "Russian", "Russisch", "Russo" }, // 69
    { "Italian", "Italien", "Italiano", "Italiano", "Italian", "Italienisch", "Italiano" }, // 70
    { "Spanish", "Espagnol", "Español", "Spagnolo", "Spanish", "Spanisch", "Espanhol" }, // 71
    { "German", "Allemand", "Alemán", "Tedesco", "German", "Deutsch", "Alemão" }, // 72
    { "Portuguese", "Portugais", "Portugués", "Portoghese", "Portuguese", "Portugiesisch", "Português" }, // 73
    { "Graph", "Graphique", "Gráfico", "Grafico", "Graph", "Grafik", "Gráfico" }, // 74
    { "Histogram", "Histogramme", "Histograma", "Istogramma", "Histogram", "Histogramm", "Histograma" }, // 75
    { "Table", "Tableau", "Tabla", "Tabella", "Table", "Tabelle", "Tabela" }, // 76
    { "Summary", "Résumé", "Resumen", "Riepilogo", "Summary", "Zusammenfassung", "Resumo" }, // 77
    { "Memory", "Mémoire", "Memoria", "Memoria", "Memory", "Speicher", "Memória" }, // 78
    { "OK", "OK", "OK", "Pun", "OK", "OK", "OK" }, // 79
    { "Name", "Nom", "Nombre", "Nome", "Name", "Name", "Nome" }, // 80
    { "Desc.", "Desc.", "Desc.", "Descr.", "Desc.", "Beschr.", "Desc." }, // 81
    { "LL", "LL", "LL", "LL", "LL", "LL", "LL" }, // 82
    { "L", "L", "L", "L", "L", "L", "L" }, // 83
    { "H", "H", "H", "H", "H", "H", "H" }, // 84
    { "HH", "HH", "HH", "HH", "HH", "HH", "HH" }, // 85
    { "General", "Général", "General", "Generale", "General", "Allgemein", "Geral" }, // 86
    { "Show Help Window", "Afficher la fenêtre d'aide", "Mostrar ventana de ayuda", "Mostra finestra di aiuto", "Show Help Window", "Hilfefenster anzeigen", "Mostrar janela de ajuda" }, // 87
    { "Auto Download Logger", "Téléchargement auto de l'acquisiteur", "Descarga automática del registrador", "Scarico automatico del logger", "Auto Download Logger", "Logger automatisch herunterladen", "Descarregar registador automaticamente" }, // 88
    { "Auto Save Logger", "Enregistrement auto de l'acquisiteur", "Guardado automático del registrador", "Salvataggio automatico del logger", "Auto Save Logger", "Logger automatisch speichern", "Guardar registador automaticamente" }, // 89
    { "Auto Genterate PDF", "Génération auto du PDF", "Generar PDF automáticamente", "Genera PDF automaticamente", "Auto Genterate PDF", "PDF automatisch erzeugen", "Gerar PDF automaticamente" }, // 90
    { "Auto open PDF", "Ouverture auto du PDF", "Abrir PDF automáticamente", "Apri PDF automaticamente", "Auto open PDF", "PDF automatisch öffnen", "Abrir PDF automaticamente" }, // 91
    { "Unit Display", "Unité d'affichage", "Unidad de visualización", "Unità di visualizzazione", "Unit Display", "Anzeigeeinheit", "Unidade de visualização" }, // 92
    { "Compare trip data based on actual date/time of each reading", "Comparer les données des voyages selon la date/heure réelle de chaque mesure", "Comparar datos de viajes según la fecha/hora real de cada lectura", "Confronta i dati dei viaggi in base alla data/ora effettiva di ogni lettura", "Compare trip data based on actual date/time of each reading", "Fahrtdaten nach dem tatsächlichen Datum/der Uhrzeit jeder Messung vergleichen", "Comparar dados de viagens com base na data/hora real de cada leitura" }, // 93
    { "Compare trip data from different date/time period(s)", "Comparer les données de voyages de périodes date/heure différentes", "Comparar datos de viajes de distintos períodos de fecha/hora", "Confronta i dati di viaggi di periodi di data/ora diversi", "Compare trip data from different date/time period(s)", "Fahrtdaten aus unterschiedlichen Datums-/Zeiträumen vergleichen", "Comparar dados de viagens de períodos de data/hora diferentes" }, // 94
    { "Default Path", "Chemin par défaut", "Ruta predeterminada", "Percorso predefinito", "Default Path", "Standardpfad", "Caminho predefinido" }, // 95
    { "ok|Cancel", "OK|Annuler", "Aceptar|Cancelar", "OK|Annulla", "ok|Cancel", "OK|Abbrechen", "OK|Cancelar" }, // 96
    { "View", "Affichage", "Vista", "Visualizza", "View", "Ansicht", "Visualização" }, // 97
    { "Background", "Arrière-plan", "Fondo", "Sfondo", "????????", "Hintergrund", "Fundo" }, // 98
    { "High High", "Très haut", "Muy alto", "Molto alto", "????????", "Sehr hoch", "Muito alto" }, // 99
    { "High", "Haut", "Alto", "Alto", "High", "Hoch", "Alto" }, // 100
    { "Normal", "Normal", "Normal", "Normale", "Normal", "Normal", "Normal" }, // 101
    { "Multi-Link", "Multi-liaison", "Multienlace", "Multi-collegamento", "Multi-Link", "Multi-Link", "Multiligação" }, // 102
    { "Low", "Bas", "Bajo", "Basso", "Low", "Tief", "Baixo" }, // 103
    { "Low Low", "Très bas", "Muy bajo", "Molto basso", "Low Low", "Sehr tief", "Muito baixo" }, // 104
    { "Line Int. Temp", "Ligne temp. int.", "Línea temp. int.", "Linea temp. int.", "Line Int. Temp", "Linie Innentemp.", "Linha temp. int." }, // 105
    { "Line Int Hum.(%)", "Ligne hum. int.(%)", "Línea hum. int.(%)", "Linea umid. int.(%)", "Line Int Hum.(%)", "Linie Innenfeuchte(%)", "Linha hum. int.(%)" }, // 106
    { "Line Ext. Temp", "Ligne temp. ext.", "Línea temp. ext.", "Linea temp. est.", "Line Ext. Temp", "Linie Außentemp.", "Linha temp. ext." }, // 107
    { "Line Thickness", "Épaisseur de ligne", "Grosor de línea", "Spessore linea", "Line Thickness", "Linienstärke", "Espessura da linha" }, // 108
    { "Show Horizontal Grid", "Afficher la grille horizontale", "Mostrar cuadrícula horizontal", "Mostra griglia orizzontale", "Show Horizontal Grid", "Horizontales Gitter anzeigen", "Mostrar grelha horizontal" }, // 109
    { "Show Vertical Grid", "Afficher la grille verticale", "Mostrar cuadrícula vertical", "Mostra griglia verticale", "Show Vertical Grid", "Vertikales Gitter anzeigen", "Mostrar grelha vertical" }, // 110
    { "Show Time", "Afficher l'heure", "Mostrar hora", "Mostra ora", "Show Time", "Zeit anzeigen", "Mostrar hora" }, // 111
    { "Show Threshold", "Afficher les seuils", "Mostrar umbrales", "Mostra soglie", "Show Threshold", "Schwellwerte anzeigen", "Mostrar limiares" }, // 112
    { "Show Full Range", "Afficher la plage complète", "Mostrar rango completo", "Mostra intervallo completo", "Show Full Range", "Gesamten Bereich anzeigen", "Mostrar intervalo completo" }, // 113
    { "Default", "Par défaut", "Predeterminado", "Predefinito", "Default", "Standard", "Predefinido" }, // 114
    { "Back", "Remplissage", "Relleno", "Riempimento", "Back", "Füllung", "Preenchimento" }, // 115
    { "Line", "Ligne", "Línea", "Linea", "Line", "Linie", "Linha" }, // 116
    { "This Logger is Password protected", "Cet acquisiteur est protégé par mot de passe", "Este registrador está protegido con contraseña", "Questo logger è protetto da password", "Este registador está protegido por palavra-passe", "Dieser Logger ist passwortgeschützt", "Este registador está protegido por palavra-passe" }, // 117
    { "Password", "Mot de passe", "Contraseña", "Password", "Palavra-passe", "Passwort", "Palavra-passe" }, // 118
    { "Read without Password", "Lecture sans mot de passe", "Leer sin contraseña", "Lettura senza password", "Ler sem palavra-passe", "Lesen ohne Passwort", "Ler sem palavra-passe" }, // 119
    { "Read", "Lecture", "Leer", "Lettura", "Ler", "Lesen", "Ler" }, // 120
    { "Write without Password", "Écriture sans mot de passe", "Escribir sin contraseña", "Scrittura senza password", "Escrever sem palavra-passe", "Schreiben ohne Passwort", "Escrever sem palavra-passe" }, // 121
    { "Write", "Écriture", "Escribir", "Scrittura", "Escrever", "Schreiben", "Escrever" }, // 122
    { "Temperature (°C)", "Température (°C)", "Temperatura (°C)", "Temperatura (°C)", "Temperature (°C)", "Temperatur (°C)", "Temperatura (°C)" }, // 123
    { "Temperature (°F)", "Température (°F)", "Temperatura (°F)", "Temperatura (°F)", "Temperature (°F)", "Temperatur (°F)", "Temperatura (°F)" }, // 124
    { "Time", "Heure", "Hora", "Ora", "Time", "Zeit", "Hora" }, // 125
    { "Range (°F)", "Plage (°F)", "Rango (°F)", "Intervallo (°F)", "Range (°F)", "Bereich (°F)", "Intervalo (°F)" }, // 126
    { "Number of Records", "Nombre d'enregistrements", "Número de registros", "Numero di registrazioni", "Number of Records", "Anzahl der Aufzeichnungen", "Número de registos" }, // 127
    { "Value", "Valeur", "Valor", "Valore", "Value", "Wert", "Valor" }, // 128
    { "Mark", "Marque", "Marca", "Segno", "Mark", "Markierung", "Marca" }, // 129
    { "Elapsed", "Écoulé", "Transcurrido", "Trascorso", "Elapsed", "Verstrichen", "Decorrido" }, // 130
    { "User Defined", "Défini par l'utilisateur", "Definido por el usuario", "Definito dall'utente", "User Defined", "Benutzerdefiniert", "Definido pelo utilizador" }, // 131
    { "Product Code", "Code produit", "Código de producto", "Codice prodotto", "Product Code", "Produktcode", "Código do produto" }, // 132
    { "Firmware / Quorvane Version", "Firmware / Version Quorvane", "Firmware / Versión Quorvane", "Firmware / Versione Quorvane", "Firmware / Quorvane Version", "Firmware / Quorvane-Version", "Firmware / Versão Quorvane" }, // 133
    { "Temperature Range", "Plage de température", "Rango de temperatura", "Intervallo di temperatura", "Temperature Range", "Temperaturbereich", "Intervalo de temperatura" }, // 134
    { "Unit Mode Programmed", "Unité programmée", "Unidad programada", "Unità programmata", "Unit Mode Programmed", "Programmierte Einheit", "Unidade programada" }, // 135
    { "Alarm HH", "Alarme HH", "Alarma HH", "Allarme HH", "Alarm HH", "Alarm HH", "Alarme HH" }, // 136
    { "Alarm H", "Alarme H", "Alarma H", "Allarme H", "Alarm H", "Alarm H", "Alarme H" }, // 137
    { "Alarm L", "Alarme L", "Alarma L", "Allarme L", "Alarm L", "Alarm L", "Alarme L" }, // 138
    { "Alarm LL", "Alarme LL", "Alarma LL", "Allarme LL", "Alarm LL", "Alarm LL", "Alarme LL" }, // 139
    { "Consecutive alarm delay", "Délai d'alarme consécutif", "Retardo de alarma consecutivo", "Ritardo allarme consecutivo", "Consecutive alarm delay", "Alarmverzögerung aufeinanderfolgend", "Atraso de alarme consecutivo" }, // 140
    { "Total alarm delay", "Délai d'alarme total", "Retardo de alarma total", "Ritardo allarme totale", "Total alarm delay", "Alarmverzögerung gesamt", "Atraso de alarme total" }, // 141
    { "Program: Start At:", "Programme : Démarrage à :", "Programa: Inicio a las:", "Programma: Avvio alle:", "Program: Start At:", "Programm: Start um:", "Programa: Início às:" }, // 142
    { "Program: Start button after:", "Programme : Démarrage par bouton après :", "Programa: Inicio con botón tras:", "Programma: Avvio con pulsante dopo:", "Program: Start button after:", "Programm: Start per Taste nach:", "Programa: Início por botão após:" }, // 143
    { "Program: Stop At:", "Programme : Arrêt à :", "Programa: Parada a las:", "Programma: Arresto alle:", "Program: Stop At:", "Programm: Stopp um:", "Programa: Paragem às:" }, // 144
    { "Program: Stop after # records:", "Programme : Arrêt après # enregistrements :", "Programa: Parada tras # registros:", "Programma: Arresto dopo # registrazioni:", "Program: Stop after # records:", "Programm: Stopp nach # Aufzeichnungen:", "Programa: Paragem após # registos:" }, // 145
    { "Program: Interval:", "Programme : Intervalle :", "Programa: Intervalo:", "Programma: Intervallo:", "Program: Interval:", "Programm: Intervall:", "Programa: Intervalo:" }, // 146
    { "Program: Continuous Logging:", "Programme : Enregistrement continu :", "Programa: Registro continuo:", "Programma: Registrazione continua:", "Program: Continuous Logging:", "Programm: Kontinuierliche Aufzeichnung:", "Programa: Registo contínuo:" }, // 147
    { "Program: Stop button enabled:", "Programme : Bouton d'arrêt activé :", "Programa: Botón de parada activado:", "Programma: Pulsante di arresto abilitato:", "Program: Stop button enabled:", "Programm: Stopp-Taste aktiviert:", "Programa: Botão de paragem ativado:" }, // 148
    { "Program: Memory Used:", "Programme : Mémoire utilisée :", "Programa: Memoria usada:", "Programma: Memoria utilizzata:", "Program: Memory Used:", "Programm: Belegter Speicher:", "Programa: Memória utilizada:" }, // 149
    { "Value Max:", "Valeur max :", "Valor máx.:", "Valore max:", "Value Max:", "Höchstwert:", "Valor máx.:" }, // 150
    { "Value Avg:", "Valeur moy. :", "Valor medio:", "Valore medio:", "Value Avg:", "Mittelwert:", "Valor médio:" }, // 151
    { "Value Min:", "Valeur min :", "Valor mín.:", "Valore min:", "Value Min:", "Tiefstwert:", "Valor mín.:" }, // 152
    { "Started Time:", "Heure de début :", "Hora de inicio:", "Ora di inizio:", "Started Time:", "Startzeit:", "Hora de início:" }, // 153
    { "Stopped Time:", "Heure de fin :", "Hora de parada:", "Ora di arresto:", "Stopped Time:", "Stoppzeit:", "Hora de paragem:" }, // 154
    { "Program: Auto-Restart Enabled", "Programme : Redémarrage auto activé", "Programa: Reinicio automático activado", "Programma: Riavvio automatico abilitato", "Program: Auto-Restart Enabled", "Programm: Auto-Neustart aktiviert", "Programa: Reinício automático ativado" }, // 155
    { "Int. Temp. Alarm HH", "Temp. int. Alarme HH", "Temp. int. Alarma HH", "Temp. int. Allarme HH", "Int. Temp. Alarm HH", "Innentemp. Alarm HH", "Temp. int. Alarme HH" }, // 156
    { "Int. Temp. Alarm H", "Temp. int. Alarme H", "Temp. int. Alarma H", "Temp. int. Allarme H", "Int. Temp. Alarm H", "Innentemp. Alarm H", "Temp. int. Alarme H" }, // 157
    { "Int. Temp. Alarm L", "Temp. int. Alarme L", "Temp. int. Alarma L", "Temp. int. Allarme L", "Int. Temp. Alarm L", "Innentemp. Alarm L", "Temp. int. Alarme L" }, // 158
    { "Int. Temp. Alarm LL", "Temp. int. Alarme LL", "Temp. int. Alarma LL", "Temp. int. Allarme LL", "Int. Temp. Alarm LL", "Innentemp. Alarm LL", "Temp. int. Alarme LL" }, // 159
    { "Int. Temp. Consecutive alarm delay", "Temp. int. Délai d'alarme consécutif", "Temp. int. Retardo de alarma consecutivo", "Temp. int. Ritardo allarme consecutivo", "Int. Temp. Consecutive alarm delay", "Innentemp. Alarmverzögerung aufeinanderfolgend", "Temp. int. Atraso de alarme consecutivo" }, // 160
    { "Int. Temp. Total alarm delay", "Temp. int. Délai d'alarme total", "Temp. int. Retardo de alarma total", "Temp. int. Ritardo allarme totale", "Int. Temp. Total alarm delay", "Innentemp. Alarmverzögerung gesamt", "Temp. int. Atraso de alarme total" }, // 161
    { "Int. Hum. Alarm HH", "Hum. int. Alarme HH", "Hum. int. Alarma HH", "Umid. int. Allarme HH", "Int. Hum. Alarm HH", "Innenfeuchte Alarm HH", "Hum. int. Alarme HH" }, // 162
    { "Int. Hum. Alarm H", "Hum. int. Alarme H", "Hum. int. Alarma H", "Umid. int. Allarme H", "Int. Hum. Alarm H", "Innenfeuchte Alarm H", "Hum. int. Alarme H" }, // 163
    { "Int. Hum. Alarm L", "Hum. int. Alarme L", "Hum. int. Alarma L", "Umid. int. Allarme L", "Int. Hum. Alarm L", "Innenfeuchte Alarm L", "Hum. int. Alarme L" }, // 164
    { "Int. Hum. Alarm LL", "Hum. int. Alarme LL", "Hum. int. Alarma LL", "Umid. int. Allarme LL", "Int. Hum. Alarm LL", "Innenfeuchte Alarm LL", "Hum. int. Alarme LL" }, // 165
    { "Int. Hum. Consecutive alarm delay", "Hum. int. Délai d'alarme consécutif", "Hum. int. Retardo de alarma consecutivo", "Umid. int. Ritardo allarme consecutivo", "Int. Hum. Consecutive alarm delay", "Innenfeuchte Alarmverzögerung aufeinanderfolgend", "Hum. int. Atraso de alarme consecutivo" }, // 166
    { "Int. Hum. Total alarm delay", "Hum. int. Délai d'alarme total", "Hum. int. Retardo de alarma total", "Umid. int. Ritardo allarme totale", "Int. Hum. Total alarm delay", "Innenfeuchte Alarmverzögerung gesamt", "Hum. int. Atraso de alarme total" }, // 167
    { "Ext. Temp. Alarm HH", "Temp. ext. Alarme HH", "Temp. ext. Alarma HH", "Temp. est. Allarme HH", "Ext. Temp. Alarm HH", "Außentemp. Alarm HH", "Temp. ext. Alarme HH" }, // 168
    { "Ext. Temp. Alarm H", "Temp. ext. Alarme H", "Temp. ext. Alarma H", "Temp. est. Allarme H", "Ext. Temp. Alarm H", "Außentemp. Alarm H", "Temp. ext. Alarme H" }, // 169
    { "Ext. Temp. Alarm L", "Temp. ext. Alarme L", "Temp. ext. Alarma L", "Temp. est. Allarme L", "Ext. Temp. Alarm L", "Außentemp. Alarm L", "Temp. ext. Alarme L" }, // 170
    { "Ext. Temp. Alarm LL", "Temp. ext. Alarme LL", "Temp. ext. Alarma LL", "Temp. est. Allarme LL", "Ext. Temp. Alarm LL", "Außentemp. Alarm LL", "Temp. ext. Alarme LL" }, // 171
    { "Ext. Temp. Consecutive alarm delay", "Temp. ext. Délai d'alarme consécutif", "Temp. ext. Retardo de alarma consecutivo", "Temp. est. Ritardo allarme consecutivo", "Ext. Temp. Consecutive alarm delay", "Außentemp. Alarmverzögerung aufeinanderfolgend", "Temp. ext. Atraso de alarme consecutivo" }, // 172
    { "Ext. Temp. Total alarm delay", "Temp. ext. Délai d'alarme total", "Temp. ext. Retardo de alarma total", "Temp. est. Ritardo allarme totale", "Ext. Temp. Total alarm delay", "Außentemp. Alarmverzögerung gesamt", "Temp. ext. Atraso de alarme total" }, // 173
    { "Int. Temp. Value Max:", "Temp. int. Valeur max :", "Temp. int. Valor máx.:", "Temp. int. Valore max:", "Int. Temp. Value Max:", "Innentemp. Höchstwert:", "Temp. int. Valor máx.:" }, // 174
    { "Int. Temp. Value Avg:", "Temp. int. Valeur moy. :", "Temp. int. Valor medio:", "Temp. int. Valore medio:", "Int. Temp. Value Avg:", "Innentemp. Mittelwert:", "Temp. int. Valor médio:" }, // 175
    { "Int. Temp. Value Min:", "Temp. int. Valeur min :", "Temp. int. Valor mín.:", "Temp. int. Valore min:", "Int. Temp. Value Min:", "Innentemp. Tiefstwert:", "Temp. int. Valor mín.:" }, // 176
    { "Int. Hum. Value Max:", "Hum. int. Valeur max :", "Hum. int. Valor máx.:", "Umid. int. Valore max:", "Int. Hum. Value Max:", "Innenfeuchte Höchstwert:", "Hum. int. Valor máx.:" }, // 177
    { "Int. Hum. Value Avg:", "Hum. int. Valeur moy. :", "Hum. int. Valor medio:", "Umid. int. Valore medio:", "Int. Hum. Value Avg:", "Innenfeuchte Mittelwert:", "Hum. int. Valor médio:" }, // 178
    { "Int. Hum. Value Min:", "Hum. int. Valeur min :", "Hum. int. Valor mín.:", "Umid. int. Valore min:", "Int. Hum. Value Min:", "Innenfeuchte Tiefstwert:", "Hum. int. Valor mín.:" }, // 179
    { "Ext. Temp. Value Max:", "Temp. ext. Valeur max :", "Temp. ext. Valor máx.:", "Temp. est. Valore max:", "Ext. Temp. Value Max:", "Außentemp. Höchstwert:", "Temp. ext. Valor máx.:" }, // 180
    { "Ext. Temp. Value Avg:", "Temp. ext. Valeur moy. :", "Temp. ext. Valor medio:", "Temp. est. Valore medio:", "Ext. Temp. Value Avg:", "Außentemp. Mittelwert:", "Temp. ext. Valor médio:" }, // 181
    { "Ext. Temp. Value Min:", "Temp. ext. Valeur min :", "Temp. ext. Valor mín.:", "Temp. est. Valore min:", "Ext. Temp. Value Min:", "Außentemp. Tiefstwert:", "Temp. ext. Valor mín.:" }, // 182
    { "Warning!\n\nDo you want to save the download data before closing the Application?", "Attention !\n\nVoulez-vous sauvegarder les données téléchargées avant de fermer l'application ?", "Cuidado!\n\nQueréis guardar los datos descargado antes cerrar la aplicación? ", "Attenzione!\n\nSalvare I dati scaricati prima di chiudere il programma?", "Warning!\n\nDo you want to save the download data before closing the Application?", "Warning!\n\nDo you want to save the download data before closing the Application?", "Atenção!\n\n pretende guardar os dados descarregados antes de sair da aplicação?" }, // 183
    { "Warning!\n\nAlarm thresholds have to be inside Logger's range %1\n and have to respect order from Low,Low Low, High to High High ", "Attention !\n\nLes seuils d'alarme doivent être compris dans la plage de l'acquisiteur %1\n et respecter l'ordre Très bas, Bas, Haut, Très haut ", "¡Cuidado!\n\nLos umbrales de alarma deben estar dentro del rango del registrador %1\n y respetar el orden Muy bajo, Bajo, Alto, Muy alto ", "Attenzione!\n\nLe soglie di allarme devono essere entro l'intervallo del logger %1\n e rispettare l'ordine Molto basso, Basso, Alto, Molto alto ", "Warning!\n\nAlarm thresholds have to be inside Logger's range %1\n and have to respect order from Low,Low Low, High to High High ", "Warning!\n\nAlarm thresholds have to be inside Logger's range %1\n and have to respect order from Low,Low Low, High to High High ", "Atenção!\n\nOs limiares de alarme têm de estar dentro do intervalo do registador %1\n e respeitar a ordem Muito baixo, Baixo, Alto, Muito alto " }, // 184
    { "Warning!\n\nOvelle Kelpra with serial #%1 can not be programmed. \n The start time has passed", "Attention !\n\nL'Ovelle Kelpra de série #%1 ne peut pas être programmé. \n L'heure de démarrage est dépassée", "¡Cuidado!\n\nEl Ovelle Kelpra con serie #%1 no se puede programar. \n La hora de inicio ya ha pasado", "Attenzione!\n\nOvelle Kelpra con seriale #%1 non può essere programmato. \n L'ora di avvio è già passata", "Warning!\n\nOvelle Kelpra with serial #%1 can not be programmed. \n The start time has passed", "Warning!\n\nOvelle Kelpra with serial #%1 can not be programmed. \n The start time has passed", "Atenção!\n\nOvelle Kelprax série #%1  não pode ser programado.\n A hora de início já foi ultrapassada " }, // 185
    { "Warning!\n\nOvelle Kelpra with serial #%1 can not be programmed. \n Ovelle Kelpra is no longer capable of recieving new program instructions.\nPlease return the logger to your distributor", "Attention !\n\nL'Ovelle Kelpra de série #%1 ne peut pas être programmé. \n L'Ovelle Kelpra ne peut plus recevoir de nouvelles instructions de programme.\nVeuillez retourner l'acquisiteur à votre distributeur", "¡Cuidado!\n\nEl Ovelle Kelpra con serie #%1 no se puede programar. \n El Ovelle Kelpra ya no puede recibir nuevas instrucciones de programa.\nDevuelva el registrador a su distribuidor", "Attenzione!\n\nOvelle Kelpra con seriale #%1 non può essere programmato. \n Ovelle Kelpra non è più in grado di ricevere nuove istruzioni di programma.\nRestituire il logger al proprio distributore", "Warning!\n\nOvelle Kelpra with serial #%1 can not be programmed. \n Ovelle Kelpra is no longer capable of recieving new program instructions.\nPlease return the logger to your distributor", "Warning!\n\nOvelle Kelpra with serial #%1 can not be programmed. \n Ovelle Kelpra is no longer capable of recieving new program instructions.\nPlease return the logger to your distributor", "Atenção!\n\nOvelle Kelpra série #%1 não pode ser programado. \n Ovelle Kelpra já não consegue receber novas instruções de programa.\nPor favor, devolva o registador ao seu distribuidor" }, // 186
    { "Question?\n\nThis will program the Logger", "Question ?\n\nCette action programmera l'acquisiteur. ", "¿Pregunta?\n\n Esto programará el registrador de datos. ", "Domanda?\n\n Questo programmerà il logger", "Question?\n\nThis will program the Logger", "Question?\n\nThis will program the Logger", "Pergunta?\n\nSe prosseguir vai programar o registador" }, // 187
    { "Warning!\n\nFailed to open file, is it writable?", "Attention !\n\nImpossible d'ouvrir le fichier, est-il accessible en écriture ?", "¡Cuidado!\n\nNo se pudo abrir el archivo, ¿se puede escribir en él?", "Attenzione!\n\nImpossibile aprire il file, è scrivibile?", "Warning!\n\nFailed to open file, is it writable?", "Warning!\n\nFailed to open file, is it writable?", "Atenção!\n\nFalha ao abrir o ficheiro, tem permissão de escrita?" }, // 188
    { "%1 Day", "%1 jour", "%1 día", "%1 giorno", "%1 Day", "%1 Tag", "%1 dia" }, // 189
    { "%1k Rec.", "%1k Enr", " %1k Gra", "%1k Reg.", "%1k Rec.", "%1k Auf", "%1k Guardar" }, // 190
    { "Auto Generate TXT File", "Génération auto du fichier TXT", "Generar archivo TXT automáticamente", "Genera file TXT automaticamente", "Auto Generate TXT File", "TXT-Datei automatisch erzeugen", "Gerar ficheiro TXT automaticamente" }, // 191
    { "Temperature", "Température", "Temperatura", "Temperatura", "Temperature", "Temperatur", "Temperatura" }, // 192
    { "Humidity", "Humidité", "Humedad", "Umidità", "Humidity", "Feuchtigkeit", "Humidade" }, // 193
    { "Date & Time", "Date et heure", "Fecha y hora", "Data e ora", "Data e ora", "Datum & Uhrzeit", "Data e hora" }, // 194
    { "Elapsed Time", "Temps écoulé", "Tiempo transcurrido", "Tempo trascorso", "Tempo trascorso", "Verstrichene Zeit", "Tempo decorrido" }, // 195
    { "Battery", "Batterie", "Batería", "Batteria", "Batteria", "Batterie", "Bateria" }, // 196
    { "out of specification", "hors spécification", "fuera de especificación", "fuori specifica", "fuori specifica", "außerhalb der Spezifikation", "fora de especificação" }, // 197
    { "Print", "Imprimer", "Imprimir", "Stampa", "Stampa", "Drucken", "Imprimir" }, // 198
    { "Print preview", "Aperçu avant impression", "Vista previa de impresión", "Anteprima di stampa", "Anteprima di stampa", "Druckvorschau", "Pré-visualizar impressão" }, // 199
    { "Auto Generate CSV File", "Génération auto du fichier CSV", "Generar archivo CSV automáticamente", "Genera file CSV automaticamente", "Genera file CSV automaticamente", "CSV-Datei automatisch erzeugen", "Gerar ficheiro CSV automaticamente" }, // 200
    { "MKT Activation Energy (kJ/mol)", "Énergie d'activation MKT (kJ/mol)", "Energía de activación MKT (kJ/mol)", "Energia di attivazione MKT (kJ/mol)", "Energia di attivazione MKT (kJ/mol)", "MKT-Aktivierungsenergie (kJ/mol)", "Energia de ativação MKT (kJ/mol)" }, // 201
    { "Current Time at selected time zone", "Heure actuelle dans le fuseau horaire choisi", "Hora actual en la zona horaria seleccionada", "Ora attuale nel fuso orario selezionato", "Ora attuale nel fuso orario selezionato", "Aktuelle Zeit in der gewählten Zeitzone", "Hora atual no fuso horário selecionado" }, // 202
    { "Time zone", "Fuseau horaire", "Zona horaria", "Fuso orario", "Fuso orario", "Zeitzone", "Fuso horário" }, // 203
    { "Use daylight time", "Utiliser l'heure d'été", "Usar horario de verano", "Usa ora legale", "Usa ora legale", "Sommerzeit verwenden", "Usar hora de verão" }, // 204
    { "Default Path", "Chemin par défaut", "Ruta predeterminada", "Percorso predefinito", "Percorso predefinito", "Standardpfad", "Caminho predefinido" }, // 205
    { "Cancel", "Annuler", "Cancelar", "Annulla", "Annulla", "Abbrechen", "Cancelar" }, // 206
    { "Yes", "Oui", "Sí", "Sì", "Sì", "Ja", "Sim" }, // 207
    { "No", "Non", "No", "No", "", "No", "No" }, // 208
    // clang-format on
};

} // namespace

CLanguageTable::CLanguageTable()
{
    texts.reserve(kColumnCount);
    for (int column = 0; column < kColumnCount; ++column) {
        QStringList columnTexts;
        columnTexts.reserve(kTextCount);
        for (int id = 0; id < kTextCount; ++id)
            columnTexts << QString::fromUtf8(kLabelTexts[id][column]);
        texts << columnTexts;
    }
}

QString CLanguageTable::text(int id) const
{
    return text(id, isLanguage(language) ? language : 0);
}

bool CLanguageTable::isLanguage(int column)
{
    return column >= 0 && column < kColumnCount && column != kPlaceholderColumn;
}

QString CLanguageTable::text(int id, int column) const
{
    if (id < 0 || id >= kTextCount)
        return QString();
    // A hand-edited settings file can name a column that does not exist.
    if (column < 0 || column >= kColumnCount)
        column = 0;
    return texts.at(column).at(id);
}
